// One Ogg Opus stream of the opus_enc back-end: libopusenc set up from the Opus record,
// 16-bit stereo PCM in, whole Ogg pages out.
#pragma once

#include "BladeEnc.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

struct OggOpusEnc;
struct OggOpusComments;

namespace opusenc
{

class OpusEncoder
{
public:
    ~OpusEncoder();
    OpusEncoder(const OpusEncoder&) = delete;
    OpusEncoder& operator=(const OpusEncoder&) = delete;

    // Checks the record and starts a stream. Null with a BE_ERR_ code in `error` when the
    // record is not usable.
    static std::unique_ptr<OpusEncoder> Create(const BEConfigOpus& config, uint32_t& error);

    uint32_t OutputBufferSize() const { return _outputBufferSize; }
    uint32_t ChunkSamples() const;
    bool IsFinished();

    // Encodes sampleCount 16-bit samples and hands out the pages completed so far: their
    // length, or -1 when libopusenc fails.
    int Encode(const uint8_t* samples, uint32_t sampleCount, uint8_t* output);
    // Drains the stream and hands out its last pages; later calls give nothing.
    uint32_t Finish(uint8_t* output, uint32_t* outputLength);

private:
    OpusEncoder() = default;
    uint32_t Start(const BEConfigOpus& config);
    uint32_t HandOut(uint8_t* output);
    static int OnWrite(void* self, const unsigned char* data, int length);
    static int OnClose(void* self);

    OggOpusComments* _comments = nullptr;
    OggOpusEnc* _encoder = nullptr;
    bool _finished = false, _failed = false;
    uint32_t _outputBufferSize = 0;
    std::vector<int16_t> _samples;
    std::vector<uint8_t> _pending; // whole pages not yet handed out
    std::mutex _mutex;             // one call at a time per stream
};

} // namespace opusenc
