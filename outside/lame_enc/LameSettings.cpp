#include "LameSettings.h"

#include "LameEnc.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace lameenc
{

namespace
{

constexpr std::array<int, 3> kMpeg1Rates = {32000, 44100, 48000};
constexpr std::array<int, 6> kMpeg2Rates = {16000, 22050, 24000, 8000, 11025, 12000};
constexpr std::array<int, 14> kMpeg1Bitrates = {32,  40,  48,  56,  64,  80,  96,
                                                112, 128, 160, 192, 224, 256, 320};
constexpr std::array<int, 14> kMpeg2Bitrates = {8,  16, 24, 32,  40,  48,  56,
                                                64, 80, 96, 112, 128, 144, 160};

template <typename T, size_t N> bool Contains(const std::array<T, N>& values, T value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

bool ValidMode(int mode)
{
    return mode >= BE_MP3_MODE_STEREO && mode <= BE_MP3_MODE_MONO;
}

uint32_t ReadPlain(const BEConfigMp3& r, LameSettings& s)
{
    s.inputRate = s.outputRate = static_cast<int>(r.sampleRate);
    s.mode = r.mode;
    s.bitrate = r.bitrate;
    s.crc = r.crc != 0;
    s.copyright = r.copyright != 0;
    s.original = r.original != 0;
    s.privateBit = r.privateFlag != 0;
    const int family = MpegFamily(s.outputRate);
    if (family == 0 || !ValidMode(s.mode) || !IsBitrateOf(family, s.bitrate))
        return BE_ERR_INVALID_PARAMETERS;
    return BE_ERR_SUCCESSFUL;
}

int QualityOfPreset(int32_t preset)
{
    switch (preset) {
    case kLamePresetNone:
        return -1;
    case kLamePresetNormal:
        return 5;
    case kLamePresetLow:
        return 7;
    case kLamePresetHigh:
        return 2;
    default:
        return -2; // refused
    }
}

uint32_t ReadLame(const BEConfigLame& r, LameSettings& s)
{
    if (r.version != BE_LAME_RECORD_VERSION || r.size != BE_CONFIG_SIZE)
        return BE_ERR_INVALID_FORMAT;
    if (r.inputSampleRate > 48000 || r.outputSampleRate > 48000 || r.bitrate > 320 ||
        r.maxBitrate > 320)
        return BE_ERR_INVALID_PARAMETERS;
    s.inputRate = static_cast<int>(r.inputSampleRate);
    s.mode = r.mode;
    s.bitrate = static_cast<int>(r.bitrate);
    s.maxBitrate = static_cast<int>(r.maxBitrate);
    s.quality = QualityOfPreset(r.preset);
    s.emphasis = static_cast<int>(r.emphasis);
    s.crc = r.crc != 0;
    s.copyright = r.copyright != 0;
    s.original = r.original != 0;
    s.privateBit = r.privateFlag != 0;
    s.writeVbrHeader = r.writeVbrHeader != 0;
    s.vbr = r.vbr != 0;
    s.vbrQuality = r.vbrQuality;

    const int inputFamily = MpegFamily(s.inputRate);
    if (inputFamily == 0 || !ValidMode(s.mode) || s.quality < -1) return BE_ERR_INVALID_PARAMETERS;
    if (s.emphasis != 0 && s.emphasis != 1 && s.emphasis != 3) return BE_ERR_INVALID_PARAMETERS;
    if (s.vbr && (s.vbrQuality < 0 || s.vbrQuality > 9)) return BE_ERR_INVALID_PARAMETERS;

    int family;
    if (r.mpegVersion == BE_MPEG_VERSION_1)
        family = 1;
    else if (r.mpegVersion == BE_MPEG_VERSION_2)
        family = 2;
    else
        return BE_ERR_INVALID_PARAMETERS;
    if (r.outputSampleRate != 0)
        s.outputRate = static_cast<int>(r.outputSampleRate);
    else if (family == 1)
        s.outputRate = s.inputRate;
    else
        s.outputRate = inputFamily == 1 ? s.inputRate / 2 : s.inputRate;
    if (MpegFamily(s.outputRate) != family) return BE_ERR_INVALID_PARAMETERS;

    if (!IsBitrateOf(family, s.bitrate)) return BE_ERR_INVALID_PARAMETERS;
    if (s.vbr && s.maxBitrate != 0 &&
        (!IsBitrateOf(family, s.maxBitrate) || s.maxBitrate < s.bitrate))
        return BE_ERR_INVALID_PARAMETERS;
    return BE_ERR_SUCCESSFUL;
}

} // namespace

int MpegFamily(int sampleRate)
{
    if (Contains(kMpeg1Rates, sampleRate)) return 1;
    if (Contains(kMpeg2Rates, sampleRate)) return 2;
    return 0;
}

bool IsBitrateOf(int family, int kbps)
{
    return family == 1 ? Contains(kMpeg1Bitrates, kbps) : Contains(kMpeg2Bitrates, kbps);
}

uint32_t ReadRecord(const void* config, LameSettings& settings)
{
    if (!config) return BE_ERR_INVALID_PARAMETERS;
    // The record may lie at any address: it is copied before its fields are read.
    uint32_t kind = 0;
    std::memcpy(&kind, config, sizeof kind);
    settings = LameSettings{};
    if (kind == BE_CONFIG_MP3) {
        BEConfigMp3 record;
        std::memcpy(&record, config, sizeof record);
        return ReadPlain(record, settings);
    }
    if (kind == BE_CONFIG_LAME) {
        BEConfigLame record;
        std::memcpy(&record, config, sizeof record);
        return ReadLame(record, settings);
    }
    return BE_ERR_INVALID_FORMAT;
}

lame_t StartEncoder(const LameSettings& s)
{
    lame_t gf = lame_init();
    if (!gf) return nullptr;
    lame_set_num_channels(gf, 2);
    lame_set_in_samplerate(gf, s.inputRate);
    lame_set_out_samplerate(gf, s.outputRate);
    lame_set_mode(gf, static_cast<MPEG_mode>(s.mode));
    if (s.vbr) {
        lame_set_VBR(gf, vbr_default);
        lame_set_VBR_q(gf, s.vbrQuality);
        lame_set_VBR_min_bitrate_kbps(gf, s.bitrate);
        if (s.maxBitrate != 0) lame_set_VBR_max_bitrate_kbps(gf, s.maxBitrate);
    } else {
        lame_set_VBR(gf, vbr_off);
        lame_set_brate(gf, s.bitrate);
    }
    if (s.quality >= 0) lame_set_quality(gf, s.quality);
    lame_set_emphasis(gf, s.emphasis);
    lame_set_error_protection(gf, s.crc ? 1 : 0);
    lame_set_copyright(gf, s.copyright ? 1 : 0);
    lame_set_original(gf, s.original ? 1 : 0);
    lame_set_extension(gf, s.privateBit ? 1 : 0);
    lame_set_bWriteVbrTag(gf, s.writeVbrHeader ? 1 : 0);
    // The encoder library writes the ID3 tag itself.
    lame_set_write_id3tag_automatic(gf, 0);
    if (lame_init_params(gf) < 0) {
        lame_close(gf);
        return nullptr;
    }
    return gf;
}

} // namespace lameenc
