#include "ShineEncoder.h"

#include <algorithm>
#include <cstring>

namespace bladeenc
{

namespace
{

bool ValidMode(int mode)
{
    return mode >= BE_MP3_MODE_STEREO && mode <= BE_MP3_MODE_MONO;
}

enum modes ShineMode(int mode)
{
    switch (mode) {
    case BE_MP3_MODE_JSTEREO:
        return JOINT_STEREO;
    case BE_MP3_MODE_DUALCHANNEL:
        return DUAL_CHANNEL;
    case BE_MP3_MODE_MONO:
        return MONO;
    default:
        return STEREO;
    }
}

constexpr uint8_t kPrivateBit = 0x01; // byte 2 of a frame header
constexpr uint8_t kPaddingBit = 0x02;

} // namespace

uint32_t ReadRecord(const void* config, ShineSettings& settings)
{
    if (!config) return BE_ERR_INVALID_PARAMETERS;
    BEConfigMp3 record;
    std::memcpy(&record, config, sizeof record); // the record may lie at any address
    if (record.kind != BE_CONFIG_MP3) return BE_ERR_INVALID_FORMAT;
    settings = ShineSettings{};
    if (record.sampleRate > 48000) return BE_ERR_INVALID_PARAMETERS;
    settings.sampleRate = static_cast<int>(record.sampleRate);
    settings.mode = record.mode;
    settings.bitrate = record.bitrate;
    settings.copyright = record.copyright != 0;
    settings.original = record.original != 0;
    settings.privateBit = record.privateFlag != 0;
    if (!ValidMode(settings.mode) || shine_check_config(settings.sampleRate, settings.bitrate) < 0)
        return BE_ERR_INVALID_PARAMETERS;
    return BE_ERR_SUCCESSFUL;
}

std::unique_ptr<ShineEncoder> ShineEncoder::Start(const ShineSettings& settings)
{
    shine_config_t config{};
    shine_set_config_mpeg_defaults(&config.mpeg);
    const bool mono = settings.mode == BE_MP3_MODE_MONO;
    config.wave.channels = mono ? PCM_MONO : PCM_STEREO;
    config.wave.samplerate = settings.sampleRate;
    config.mpeg.mode = ShineMode(settings.mode);
    config.mpeg.bitr = settings.bitrate;
    config.mpeg.emph = NONE;
    config.mpeg.copyright = settings.copyright ? 1 : 0;
    config.mpeg.original = settings.original ? 1 : 0;
    shine_t shine = shine_initialise(&config);
    if (!shine) return nullptr;
    return std::unique_ptr<ShineEncoder>(new ShineEncoder(shine, settings));
}

ShineEncoder::ShineEncoder(shine_t shine, const ShineSettings& settings)
    : _shine(shine), _frameSamples(shine_samples_per_pass(shine)),
      _mono(settings.mode == BE_MP3_MODE_MONO), _privateBit(settings.privateBit)
{
    // A layer III frame holds samples / 8 * bitrate / rate bytes, plus one when padded.
    _frameBase = static_cast<uint32_t>(static_cast<uint64_t>(_frameSamples) / 8 *
                                       static_cast<uint64_t>(settings.bitrate) * 1000 /
                                       static_cast<uint64_t>(settings.sampleRate));
    _outputBufferSize = 2 * (_frameBase + 1);
    _pending.resize(static_cast<size_t>(_frameSamples) * 2 * 2);
    _frame.resize(static_cast<size_t>(_frameSamples) * 2);
}

ShineEncoder::~ShineEncoder()
{
    shine_close(_shine);
}

int ShineEncoder::Encode(const uint8_t* samples, uint32_t sampleCount, uint8_t* output)
{
    const size_t frames = sampleCount / 2; // an odd count's last half frame is dropped
    std::memcpy(_pending.data() + _pendingFrames * 2, samples, frames * 4);
    _pendingFrames += frames;
    size_t used = 0;
    while (_pendingFrames >= static_cast<size_t>(_frameSamples))
        if (!EncodeFrame(output, used)) return -1;
    return static_cast<int>(used);
}

int ShineEncoder::Finish(uint8_t* output)
{
    _finished = true;
    size_t used = 0;
    if (_pendingFrames > 0) {
        std::fill(_pending.begin() + static_cast<long>(_pendingFrames * 2),
                  _pending.begin() + _frameSamples * 2, int16_t{0});
        _pendingFrames = static_cast<size_t>(_frameSamples);
        if (!EncodeFrame(output, used)) return -1;
    }
    // libshine keeps the last bits of its output in a cache that shine_flush does not empty,
    // which cuts the last frame short. One more frame of silence pushes them out; of its
    // output only the bytes up to the end of the last real frame are kept.
    if (_written < _nextHeader) {
        std::fill(_frame.begin(), _frame.end(), int16_t{0});
        int size = 0;
        const unsigned char* data = shine_encode_buffer_interleaved(_shine, _frame.data(), &size);
        const uint64_t missing = _nextHeader - _written;
        if (!data || static_cast<uint64_t>(size) < missing) return -1;
        if (!Put(data, static_cast<int>(missing), output, used)) return -1;
    }
    return static_cast<int>(used);
}

bool ShineEncoder::EncodeFrame(uint8_t* output, size_t& used)
{
    const size_t count = static_cast<size_t>(_frameSamples);
    if (_mono) {
        for (size_t i = 0; i < count; ++i)
            _frame[i] = static_cast<int16_t>((_pending[2 * i] + _pending[2 * i + 1]) / 2);
    } else {
        std::copy(_pending.begin(), _pending.begin() + static_cast<long>(count * 2),
                  _frame.begin());
    }
    _pendingFrames -= count;
    std::copy(_pending.begin() + static_cast<long>(count * 2),
              _pending.begin() + static_cast<long>((count + _pendingFrames) * 2), _pending.begin());
    int size = 0;
    const unsigned char* data = shine_encode_buffer_interleaved(_shine, _frame.data(), &size);
    return Put(data, size, output, used);
}

bool ShineEncoder::Put(const unsigned char* data, int size, uint8_t* output, size_t& used)
{
    if (size <= 0 || !data) return true;
    if (used + static_cast<size_t>(size) > _outputBufferSize) return false;
    std::memcpy(output + used, data, static_cast<size_t>(size));
    MarkPrivate(output + used, static_cast<size_t>(size));
    used += static_cast<size_t>(size);
    return true;
}

void ShineEncoder::MarkPrivate(uint8_t* block, size_t size)
{
    const uint64_t end = _written + size;
    // Byte 2 of a header tells the padding, and with it where the next frame begins.
    while (_nextHeader + 2 < end) {
        uint8_t& flags = block[_nextHeader + 2 - _written];
        if (_privateBit) flags |= kPrivateBit;
        _nextHeader += _frameBase + ((flags & kPaddingBit) ? 1 : 0);
    }
    _written = end;
}

} // namespace bladeenc
