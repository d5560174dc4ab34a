// One FLAC stream of the flac_enc back-end: libFLAC's stream encoder set up from the FLAC
// record, 16-bit stereo PCM in, the file's bytes out, and the head completed at the end.
#pragma once

#include "BladeEnc.h"
#include "FlacHead.h"

#include <FLAC/stream_encoder.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace flacenc
{

// A 64-bit hash of a byte stream fed in pieces of any size (FNV-1a over 8-byte words).
class StreamHash
{
public:
    void Update(const uint8_t* data, size_t size);
    uint64_t Value() const;

private:
    uint64_t _hash = 0xCBF29CE484222325ull;
    uint8_t _carry[8] = {};
    size_t _carried = 0;
};

class FlacEncoder
{
public:
    ~FlacEncoder();
    FlacEncoder(const FlacEncoder&) = delete;
    FlacEncoder& operator=(const FlacEncoder&) = delete;

    // Checks the record and starts a stream: the head waits for the first output. Null with a
    // BE_ERR_ code in `error` when the record is not usable.
    static std::unique_ptr<FlacEncoder> Create(const BEConfigFlac& config, uint32_t& error);

    uint32_t OutputBufferSize() const { return _outputBufferSize; }
    uint32_t ChunkSamples() const;
    bool IsFinished();

    // Encodes sampleCount 16-bit samples and hands out all output made so far: its length,
    // or -1 when libFLAC fails (a verify mismatch included).
    int Encode(const uint8_t* samples, uint32_t sampleCount, uint8_t* output);
    // Ends the stream and hands out its last frames; later calls give nothing.
    uint32_t Finish(uint8_t* output, uint32_t* outputLength);

    // Whether the file's bytes (`size` of them, these first bytes, this hash) are exactly
    // this finished stream's, with its completed head not yet written.
    bool Owns(uint64_t size, const std::vector<uint8_t>& firstBytes, uint64_t hash);
    // Finished with a completed head that no file has got yet.
    bool AwaitsHead();
    // Set once by Finish; read only after Owns said yes.
    const std::vector<uint8_t>& CompletedHead() const { return _completedHead; }
    // The head as first written; set when the stream starts.
    const std::vector<uint8_t>& Head() const { return _head; }
    void MarkHeadWritten();

private:
    FlacEncoder() = default;
    uint32_t Start(const BEConfigFlac& config);
    uint32_t HandOut(uint8_t* output);

    static FLAC__StreamEncoderWriteStatus OnWrite(const FLAC__StreamEncoder*,
                                                  const FLAC__byte* buffer, size_t bytes,
                                                  uint32_t samples, uint32_t frame, void* self);
    static void OnMetadata(const FLAC__StreamEncoder*, const FLAC__StreamMetadata* metadata,
                           void* self);

    FLAC__StreamEncoder* _encoder = nullptr;
    FLAC__StreamMetadata* _comments = nullptr;
    FLAC__StreamMetadata* _padding = nullptr;
    uint32_t _sampleRate = 0;
    bool _finished = false, _failed = false, _headWritten = false;
    uint32_t _outputBufferSize = 0;
    std::vector<FLAC__int32> _wide; // the samples as libFLAC takes them
    std::vector<uint8_t> _pending;  // bytes not yet handed out
    std::vector<uint8_t> _head;     // the head as first written
    std::vector<FrameMark> _frames; // every frame, for the seek table
    uint64_t _samplesWritten = 0, _audioBytes = 0;
    FLAC__StreamMetadata_StreamInfo _info{};
    bool _infoReady = false;
    std::vector<uint8_t> _completedHead;
    uint64_t _bytesOut = 0;
    StreamHash _hash;
    std::mutex _mutex; // one call at a time per stream
};

} // namespace flacenc
