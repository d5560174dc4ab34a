#include "VorbisEncoder.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <random>

namespace vorbenc
{

namespace
{

constexpr uint32_t kMinSampleRate = 8000;
constexpr uint32_t kMaxSampleRate = 192000;
constexpr int32_t kMaxKbps = 10000;

// A bitrate parameter: -1 for none, else kbit/s. Anything else makes the record unusable.
bool ValidKbps(int32_t kbps)
{
    return kbps == -1 || (kbps > 0 && kbps <= kMaxKbps);
}

long BitsPerSecond(int32_t kbps)
{
    return kbps == -1 ? -1 : static_cast<long>(kbps) * 1000;
}

void AddComment(vorbis_comment& comment, const char* tag, const char* text)
{
    if (text && *text) vorbis_comment_add_tag(&comment, tag, text);
}

} // namespace

VorbisEncoder::~VorbisEncoder()
{
    if (_oggReady) ogg_stream_clear(&_ogg);
    if (_dspReady) {
        vorbis_block_clear(&_block);
        vorbis_dsp_clear(&_dsp);
    }
    if (_infoReady) {
        vorbis_comment_clear(&_comment);
        vorbis_info_clear(&_info);
    }
}

std::unique_ptr<VorbisEncoder> VorbisEncoder::Create(const BEConfigVorbis& config, uint32_t& error)
{
    std::unique_ptr<VorbisEncoder> encoder(new (std::nothrow) VorbisEncoder);
    if (!encoder) {
        error = BE_ERR_NO_MORE_HANDLES;
        return nullptr;
    }
    error = encoder->Start(config);
    if (error != BE_ERR_SUCCESSFUL) return nullptr;
    return encoder;
}

uint32_t VorbisEncoder::Start(const BEConfigVorbis& config)
{
    if (config.kind != BE_CONFIG_VORBIS) return BE_ERR_INVALID_FORMAT;
    if (config.version != BE_VORBIS_RECORD_VERSION || config.channels != BE_VORBIS_CHANNELS ||
        config.sampleRate < kMinSampleRate || config.sampleRate > kMaxSampleRate)
        return BE_ERR_INVALID_FORMAT;
    if (!ValidKbps(config.parameter4) || !ValidKbps(config.parameter5) ||
        !ValidKbps(config.parameter6))
        return BE_ERR_INVALID_PARAMETERS;

    vorbis_info_init(&_info);
    vorbis_comment_init(&_comment);
    _infoReady = true;
    const long rate = static_cast<long>(config.sampleRate);
    int result;
    if (config.parameter4 != -1 || config.parameter6 != -1) {
        // A floor or a ceiling: managed bitrate, the nominal one as the average if given.
        result =
            vorbis_encode_init(&_info, BE_VORBIS_CHANNELS, rate, BitsPerSecond(config.parameter6),
                               BitsPerSecond(config.parameter5), BitsPerSecond(config.parameter4));
    } else {
        // Only a nominal bitrate: the average-bitrate mode without hard limits.
        const int32_t nominal = config.parameter5 == -1 ? kDefaultNominalKbps : config.parameter5;
        result = vorbis_encode_setup_managed(&_info, BE_VORBIS_CHANNELS, rate, -1,
                                             BitsPerSecond(nominal), -1);
        if (result == 0) result = vorbis_encode_ctl(&_info, OV_ECTL_RATEMANAGE2_SET, nullptr);
        if (result == 0) result = vorbis_encode_setup_init(&_info);
    }
    if (result != 0) return BE_ERR_INVALID_PARAMETERS;

    // The texts are the caller's only for this call: libvorbis copies them.
    AddComment(_comment, "TITLE", config.title);
    AddComment(_comment, "ALBUM", config.album);
    AddComment(_comment, "ARTIST", config.artist);
    AddComment(_comment, "DATE", config.year);

    if (vorbis_analysis_init(&_dsp, &_info) != 0) return BE_ERR_INVALID_PARAMETERS;
    vorbis_block_init(&_dsp, &_block);
    _dspReady = true;
    std::random_device random;
    ogg_stream_init(&_ogg, static_cast<int>(random() & 0x7FFFFFFF));
    _oggReady = true;

    ogg_packet identification, comments, codebooks;
    if (vorbis_analysis_headerout(&_dsp, &_comment, &identification, &comments, &codebooks) != 0)
        return BE_ERR_INVALID_PARAMETERS;
    ogg_stream_packetin(&_ogg, &identification);
    ogg_stream_packetin(&_ogg, &comments);
    ogg_stream_packetin(&_ogg, &codebooks);
    // The audio must begin on a page of its own.
    ogg_page page;
    while (ogg_stream_flush(&_ogg, &page))
        AppendPage(page);

    // One call hands out the headers (the first time), pages already begun, and the packets
    // of its own audio and of what the analysis held back; Vorbis stays well below twice the
    // size of the PCM it codes.
    const uint64_t size =
        uint64_t(_pending.size()) + 4ull * kSamplesPerChunk * 2 + 2ull * kMaxPageBytes;
    if (size > UINT32_MAX / 2) return BE_ERR_INVALID_PARAMETERS;
    _outputBufferSize = static_cast<uint32_t>(size);
    return BE_ERR_SUCCESSFUL;
}

uint32_t VorbisEncoder::Encode(const uint8_t* samples, uint32_t sampleCount, uint8_t* output,
                               uint32_t* outputLength)
{
    if (!outputLength) return BE_ERR_INVALID_PARAMETERS;
    *outputLength = 0;
    if (!output || (sampleCount && !samples) || sampleCount > kSamplesPerChunk ||
        sampleCount % BE_VORBIS_CHANNELS != 0)
        return BE_ERR_INVALID_PARAMETERS;
    std::lock_guard lock(_mutex);
    if (_finished) return BE_ERR_INVALID_HANDLE;

    const int frames = static_cast<int>(sampleCount / BE_VORBIS_CHANNELS);
    if (frames > 0) {
        float** channels = vorbis_analysis_buffer(&_dsp, frames);
        for (int i = 0; i < frames; ++i) {
            // Little-endian bytes: the caller's buffer need not be aligned for 16-bit reads.
            const uint8_t* frame = samples + 4 * static_cast<size_t>(i);
            channels[0][i] = static_cast<int16_t>(frame[0] | frame[1] << 8) / 32768.0f;
            channels[1][i] = static_cast<int16_t>(frame[2] | frame[3] << 8) / 32768.0f;
        }
        vorbis_analysis_wrote(&_dsp, frames);
        Drain(false);
    }
    return HandOut(output, outputLength);
}

uint32_t VorbisEncoder::Finish(uint8_t* output, uint32_t* outputLength)
{
    if (!outputLength) return BE_ERR_INVALID_PARAMETERS;
    *outputLength = 0;
    if (!output) return BE_ERR_INVALID_PARAMETERS;
    std::lock_guard lock(_mutex);
    if (!_finished) {
        _finished = true;
        vorbis_analysis_wrote(&_dsp, 0); // the end: the last packet carries the stream's end
        Drain(true);
    }
    const uint32_t result = HandOut(output, outputLength);
    // Pages that did not fit are lost; say so rather than end the file silently short.
    return _pending.empty() ? result : BE_ERR_INVALID_PARAMETERS;
}

void VorbisEncoder::Drain(bool flush)
{
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&_dsp, &_block) == 1) {
        vorbis_analysis(&_block, nullptr);
        vorbis_bitrate_addblock(&_block);
        while (vorbis_bitrate_flushpacket(&_dsp, &packet) == 1) {
            ogg_stream_packetin(&_ogg, &packet);
            while (ogg_stream_pageout(&_ogg, &page))
                AppendPage(page);
        }
    }
    if (flush)
        while (ogg_stream_flush(&_ogg, &page))
            AppendPage(page);
}

void VorbisEncoder::AppendPage(const ogg_page& page)
{
    _pending.insert(_pending.end(), page.header, page.header + page.header_len);
    _pending.insert(_pending.end(), page.body, page.body + page.body_len);
}

uint32_t VorbisEncoder::HandOut(uint8_t* output, uint32_t* outputLength)
{
    const size_t n = std::min<size_t>(_pending.size(), _outputBufferSize);
    if (n) std::memcpy(output, _pending.data(), n);
    _pending.erase(_pending.begin(), _pending.begin() + static_cast<long>(n));
    *outputLength = static_cast<uint32_t>(n);
    return BE_ERR_SUCCESSFUL;
}

} // namespace vorbenc
