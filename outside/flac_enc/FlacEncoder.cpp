#include "FlacEncoder.h"

#include "FlacEnc.h"

#include <FLAC/metadata.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

namespace flacenc
{

namespace
{

constexpr uint64_t kFnvPrime = 0x100000001B3ull;
// The largest frame of 16-bit stereo: the samples stored verbatim plus headers and footers.
constexpr uint32_t kMaxFrameBytes = 4 * 65535 + 64;

bool AddComment(FLAC__StreamMetadata* block, const char* name, const char* value)
{
    if (!value || !*value) return true;
    FLAC__StreamMetadata_VorbisComment_Entry entry;
    if (!FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, name, value))
        return false;
    // Taken over by the block (copy = false).
    return FLAC__metadata_object_vorbiscomment_append_comment(block, entry, false);
}

} // namespace

void StreamHash::Update(const uint8_t* data, size_t size)
{
    while (size > 0 && (_carried > 0 || size < 8)) {
        _carry[_carried++] = *data++;
        --size;
        if (_carried == 8) {
            uint64_t word;
            std::memcpy(&word, _carry, 8);
            _hash = (_hash ^ word) * kFnvPrime;
            _carried = 0;
        }
    }
    for (; size >= 8; data += 8, size -= 8) {
        uint64_t word;
        std::memcpy(&word, data, 8);
        _hash = (_hash ^ word) * kFnvPrime;
    }
    for (; size > 0; --size)
        _carry[_carried++] = *data++;
}

uint64_t StreamHash::Value() const
{
    uint64_t hash = _hash;
    for (size_t i = 0; i < _carried; ++i)
        hash = (hash ^ _carry[i]) * kFnvPrime;
    return (hash ^ _carried) * kFnvPrime;
}

FlacEncoder::~FlacEncoder()
{
    if (_encoder) FLAC__stream_encoder_delete(_encoder); // finishes a stream still running
    if (_comments) FLAC__metadata_object_delete(_comments);
    if (_padding) FLAC__metadata_object_delete(_padding);
}

std::unique_ptr<FlacEncoder> FlacEncoder::Create(const BEConfigFlac& config, uint32_t& error)
{
    std::unique_ptr<FlacEncoder> encoder(new (std::nothrow) FlacEncoder);
    if (!encoder) {
        error = BE_ERR_NO_MORE_HANDLES;
        return nullptr;
    }
    error = encoder->Start(config);
    if (error != BE_ERR_SUCCESSFUL) return nullptr;
    return encoder;
}

uint32_t FlacEncoder::Start(const BEConfigFlac& config)
{
    if (config.kind != BE_CONFIG_FLAC || config.version != BE_FLAC_RECORD_VERSION ||
        config.channels != 2 || config.bitsPerSample != 16 ||
        !FLAC__format_sample_rate_is_subset(config.sampleRate))
        return BE_ERR_INVALID_FORMAT;
    if (config.compressionLevel < BE_FLAC_LEVEL_MIN || config.compressionLevel > BE_FLAC_LEVEL_MAX)
        return BE_ERR_INVALID_PARAMETERS;

    _encoder = FLAC__stream_encoder_new();
    _comments = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
    _padding = FLAC__metadata_object_new(FLAC__METADATA_TYPE_PADDING);
    if (!_encoder || !_comments || !_padding) return BE_ERR_NO_MORE_HANDLES;
    _padding->length = kFlacPaddingBytes;
    const std::string track = config.trackNumber ? std::to_string(config.trackNumber) : "";
    // Comment texts that are not UTF-8 are refused by libFLAC: the record is then refused.
    if (!AddComment(_comments, "TITLE", config.title) ||
        !AddComment(_comments, "ARTIST", config.artist) ||
        !AddComment(_comments, "ALBUM", config.album) ||
        !AddComment(_comments, "DATE", config.year) ||
        !AddComment(_comments, "TRACKNUMBER", track.c_str()))
        return BE_ERR_INVALID_PARAMETERS;

    _sampleRate = config.sampleRate;
    FLAC__StreamMetadata* blocks[] = {_comments, _padding};
    FLAC__stream_encoder_set_verify(_encoder, config.verify != 0);
    FLAC__stream_encoder_set_compression_level(_encoder,
                                               static_cast<uint32_t>(config.compressionLevel));
    FLAC__stream_encoder_set_channels(_encoder, config.channels);
    FLAC__stream_encoder_set_bits_per_sample(_encoder, config.bitsPerSample);
    FLAC__stream_encoder_set_sample_rate(_encoder, config.sampleRate);
    FLAC__stream_encoder_set_metadata(_encoder, blocks, 2);
    // No seek callback: libFLAC writes straight through and reports the final STREAMINFO to
    // OnMetadata, from which the head is completed.
    if (FLAC__stream_encoder_init_stream(_encoder, OnWrite, nullptr, nullptr, OnMetadata, this) !=
        FLAC__STREAM_ENCODER_INIT_STATUS_OK)
        return BE_ERR_INVALID_PARAMETERS;
    _head = _pending; // init wrote the whole head

    // One call hands out the head (the first time), the frames its chunk completes and one
    // frame begun before it.
    const uint64_t size = uint64_t{_head.size()} + 3ull * kMaxFrameBytes;
    _outputBufferSize = static_cast<uint32_t>(size);
    _wide.resize(kFlacChunkSamples);
    return BE_ERR_SUCCESSFUL;
}

uint32_t FlacEncoder::ChunkSamples() const
{
    return kFlacChunkSamples;
}

bool FlacEncoder::IsFinished()
{
    std::lock_guard lock(_mutex);
    return _finished;
}

FLAC__StreamEncoderWriteStatus FlacEncoder::OnWrite(const FLAC__StreamEncoder*,
                                                    const FLAC__byte* buffer, size_t bytes,
                                                    uint32_t samples, uint32_t, void* self)
{
    auto& e = *static_cast<FlacEncoder*>(self);
    try {
        e._pending.insert(e._pending.end(), buffer, buffer + bytes);
        if (samples > 0) {
            e._frames.push_back({e._samplesWritten, e._audioBytes, samples});
            e._samplesWritten += samples;
            e._audioBytes += bytes;
        }
    } catch (const std::bad_alloc&) {
        return FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
    }
    return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
}

void FlacEncoder::OnMetadata(const FLAC__StreamEncoder*, const FLAC__StreamMetadata* metadata,
                             void* self)
{
    auto& e = *static_cast<FlacEncoder*>(self);
    if (metadata->type != FLAC__METADATA_TYPE_STREAMINFO) return;
    e._info = metadata->data.stream_info;
    e._infoReady = true;
}

int FlacEncoder::Encode(const uint8_t* samples, uint32_t sampleCount, uint8_t* output)
{
    std::lock_guard lock(_mutex);
    if (_finished || _failed) return -1;
    const uint32_t frames = sampleCount / 2;
    for (uint32_t i = 0; i < 2 * frames; ++i)
        _wide[i] = static_cast<int16_t>(samples[2 * i] | samples[2 * i + 1] << 8);
    if (frames > 0 && !FLAC__stream_encoder_process_interleaved(_encoder, _wide.data(), frames)) {
        _failed = true;
        return -1;
    }
    return static_cast<int>(HandOut(output));
}

uint32_t FlacEncoder::Finish(uint8_t* output, uint32_t* outputLength)
{
    if (!outputLength) return BE_ERR_INVALID_PARAMETERS;
    *outputLength = 0;
    if (!output) return BE_ERR_INVALID_PARAMETERS;
    std::lock_guard lock(_mutex);
    if (_finished) return BE_ERR_SUCCESSFUL;
    _finished = true;
    // A verify mismatch or an encoder failure shows here: the stream is not complete.
    const bool ok = FLAC__stream_encoder_finish(_encoder) && !_failed && _infoReady;
    *outputLength = HandOut(output);
    if (!ok || !_pending.empty()) return BE_ERR_INVALID_PARAMETERS;
    const uint64_t spacing = uint64_t{kFlacSeekSpacingSeconds} * _sampleRate;
    _completedHead = CompleteHead(_head, StreamInfoBody(_info),
                                  SeekPoints(_frames, _info.total_samples, spacing));
    return _completedHead.empty() ? BE_ERR_INVALID_PARAMETERS : BE_ERR_SUCCESSFUL;
}

uint32_t FlacEncoder::HandOut(uint8_t* output)
{
    const size_t n = std::min<size_t>(_pending.size(), _outputBufferSize);
    if (n) std::memcpy(output, _pending.data(), n);
    _hash.Update(_pending.data(), n);
    _bytesOut += n;
    _pending.erase(_pending.begin(), _pending.begin() + static_cast<long>(n));
    return static_cast<uint32_t>(n);
}

bool FlacEncoder::Owns(uint64_t size, const std::vector<uint8_t>& firstBytes, uint64_t hash)
{
    std::lock_guard lock(_mutex);
    return _finished && !_headWritten && !_completedHead.empty() && size == _bytesOut &&
           firstBytes == _head && hash == _hash.Value();
}

bool FlacEncoder::AwaitsHead()
{
    std::lock_guard lock(_mutex);
    return _finished && !_headWritten && !_completedHead.empty();
}

void FlacEncoder::MarkHeadWritten()
{
    std::lock_guard lock(_mutex);
    _headWritten = true;
}

} // namespace flacenc
