#include "OpusEncoder.h"

#include "OpusEnc.h"

#include <opus/opusenc.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <random>
#include <string>

namespace opusenc
{

namespace
{

constexpr uint32_t kMinRate = 8000, kMaxRate = 192000;
// libopusenc holds pages back for up to a second of audio (its muxing delay); at 510 kbit/s
// that is some 64 KiB, and a call may complete two such pages.
constexpr uint32_t kOutputBufferBytes = 256 * 1024;

bool AddComment(OggOpusComments* comments, const char* name, const char* value)
{
    return !value || !*value || ope_comments_add(comments, name, value) == OPE_OK;
}

} // namespace

OpusEncoder::~OpusEncoder()
{
    if (_encoder) ope_encoder_destroy(_encoder);
    if (_comments) ope_comments_destroy(_comments);
}

std::unique_ptr<OpusEncoder> OpusEncoder::Create(const BEConfigOpus& config, uint32_t& error)
{
    std::unique_ptr<OpusEncoder> encoder(new (std::nothrow) OpusEncoder);
    if (!encoder) {
        error = BE_ERR_NO_MORE_HANDLES;
        return nullptr;
    }
    error = encoder->Start(config);
    if (error != BE_ERR_SUCCESSFUL) return nullptr;
    return encoder;
}

uint32_t OpusEncoder::Start(const BEConfigOpus& config)
{
    if (config.kind != BE_CONFIG_OPUS || config.version != BE_OPUS_RECORD_VERSION ||
        config.channels != 2 || config.sampleRate < kMinRate || config.sampleRate > kMaxRate)
        return BE_ERR_INVALID_FORMAT;
    if (config.bitrate < BE_OPUS_KBPS_MIN || config.bitrate > BE_OPUS_KBPS_MAX)
        return BE_ERR_INVALID_PARAMETERS;

    _comments = ope_comments_create();
    if (!_comments) return BE_ERR_NO_MORE_HANDLES;
    const std::string track = config.trackNumber ? std::to_string(config.trackNumber) : "";
    if (!AddComment(_comments, "TITLE", config.title) ||
        !AddComment(_comments, "ARTIST", config.artist) ||
        !AddComment(_comments, "ALBUM", config.album) ||
        !AddComment(_comments, "DATE", config.year) ||
        !AddComment(_comments, "TRACKNUMBER", track.c_str()))
        return BE_ERR_INVALID_PARAMETERS;

    const OpusEncCallbacks callbacks = {OnWrite, OnClose};
    int error = OPE_OK;
    _encoder = ope_encoder_create_callbacks(
        &callbacks, this, _comments, static_cast<opus_int32>(config.sampleRate), 2, 0, &error);
    if (!_encoder || error != OPE_OK) return BE_ERR_INVALID_PARAMETERS;
    // libopusenc draws the Ogg serial number from rand(), the same in every process.
    std::random_device random;
    const auto serial = static_cast<opus_int32>(random() & 0x7FFFFFFF);
    if (ope_encoder_ctl(_encoder, OPE_SET_SERIALNO(serial)) != OPE_OK ||
        ope_encoder_ctl(
            _encoder, OPUS_SET_BITRATE(static_cast<opus_int32>(config.bitrate) * 1000)) != OPE_OK ||
        ope_encoder_ctl(_encoder, OPUS_SET_VBR(config.vbr != 0 ? 1 : 0)) != OPE_OK ||
        // libopus constrains VBR by default; free VBR spends the bits where the music needs them.
        ope_encoder_ctl(_encoder, OPUS_SET_VBR_CONSTRAINT(0)) != OPE_OK ||
        // 16-bit input: no bits are spent below its quantisation noise.
        ope_encoder_ctl(_encoder, OPUS_SET_LSB_DEPTH(16)) != OPE_OK)
        return BE_ERR_INVALID_PARAMETERS;
    _samples.resize(kOpusChunkSamples);
    _outputBufferSize = kOutputBufferBytes;
    return BE_ERR_SUCCESSFUL;
}

uint32_t OpusEncoder::ChunkSamples() const
{
    return kOpusChunkSamples;
}

bool OpusEncoder::IsFinished()
{
    std::lock_guard lock(_mutex);
    return _finished;
}

int OpusEncoder::OnWrite(void* self, const unsigned char* data, int length)
{
    auto& e = *static_cast<OpusEncoder*>(self);
    try {
        e._pending.insert(e._pending.end(), data, data + length);
    } catch (const std::bad_alloc&) {
        return 1; // libopusenc stops the stream
    }
    return 0;
}

int OpusEncoder::OnClose(void*)
{
    return 0;
}

int OpusEncoder::Encode(const uint8_t* samples, uint32_t sampleCount, uint8_t* output)
{
    std::lock_guard lock(_mutex);
    if (_finished || _failed) return -1;
    const uint32_t frames = sampleCount / 2;
    for (uint32_t i = 0; i < 2 * frames; ++i)
        _samples[i] = static_cast<int16_t>(samples[2 * i] | samples[2 * i + 1] << 8);
    if (frames > 0 &&
        ope_encoder_write(_encoder, _samples.data(), static_cast<int>(frames)) != OPE_OK) {
        _failed = true;
        return -1;
    }
    return static_cast<int>(HandOut(output));
}

uint32_t OpusEncoder::Finish(uint8_t* output, uint32_t* outputLength)
{
    if (!outputLength) return BE_ERR_INVALID_PARAMETERS;
    *outputLength = 0;
    if (!output) return BE_ERR_INVALID_PARAMETERS;
    std::lock_guard lock(_mutex);
    if (_finished) return BE_ERR_SUCCESSFUL;
    _finished = true;
    const bool ok = !_failed && ope_encoder_drain(_encoder) == OPE_OK;
    *outputLength = HandOut(output);
    // Pages that did not fit are lost; say so rather than end the file silently short.
    return ok && _pending.empty() ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_PARAMETERS;
}

uint32_t OpusEncoder::HandOut(uint8_t* output)
{
    const size_t n = std::min<size_t>(_pending.size(), _outputBufferSize);
    if (n) std::memcpy(output, _pending.data(), n);
    _pending.erase(_pending.begin(), _pending.begin() + static_cast<long>(n));
    return static_cast<uint32_t>(n);
}

} // namespace opusenc
