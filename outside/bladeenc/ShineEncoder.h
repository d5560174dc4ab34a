// One stream of the bladeenc stand-in: the plain record read and checked, and a libshine
// encoder fed whole frames of samples, the last one padded with silence.
#pragma once

#include "BladeEnc.h"
#include "CdAudio.h"

#include <cstdint>
#include <memory>
#include <vector>

extern "C" { // the header declares C functions without saying so
#include <shine/layer3.h>
}

namespace bladeenc
{

struct ShineSettings {
    int sampleRate = CD_SAMPLE_RATE;
    int mode = BE_MP3_MODE_STEREO;
    int bitrate = 128;
    bool copyright = false;
    bool original = false;
    bool privateBit = false;
};

// BE_ERR_SUCCESSFUL with the settings of a plain record libshine can encode;
// BE_ERR_INVALID_FORMAT for another kind, BE_ERR_INVALID_PARAMETERS for refused values.
uint32_t ReadRecord(const void* config, ShineSettings& settings);

class ShineEncoder
{
public:
    // Null when libshine cannot be set up.
    static std::unique_ptr<ShineEncoder> Start(const ShineSettings& settings);
    ~ShineEncoder();
    ShineEncoder(const ShineEncoder&) = delete;
    ShineEncoder& operator=(const ShineEncoder&) = delete;

    // Samples per chunk, both channels counted, and the output buffer size every call needs.
    uint32_t ChunkSamples() const { return static_cast<uint32_t>(_frameSamples) * 2; }
    uint32_t OutputBufferSize() const { return _outputBufferSize; }

    // Takes up to one chunk of samples (read as bytes) and writes the frames it completes; the
    // output length, or -1 when the output would not fit.
    int Encode(const uint8_t* samples, uint32_t sampleCount, uint8_t* output);
    // Pads and encodes what is left, then libshine's last bytes; the output length or -1.
    int Finish(uint8_t* output);
    bool IsFinished() const { return _finished; }

private:
    ShineEncoder(shine_t shine, const ShineSettings& settings);
    // Encodes one frame from the front of the pending samples into output + used.
    bool EncodeFrame(uint8_t* output, size_t& used);
    bool Put(const unsigned char* data, int size, uint8_t* output, size_t& used);
    // Sets the private bit in every frame header that starts in the block (frames run across
    // libshine's output blocks, so the walk goes on from block to block).
    void MarkPrivate(uint8_t* block, size_t size);

    shine_t _shine;
    int _frameSamples; // per channel
    bool _mono;
    bool _privateBit;
    uint32_t _outputBufferSize;
    bool _finished = false;
    std::vector<int16_t> _pending; // interleaved stereo, up to two frames
    size_t _pendingFrames = 0;
    std::vector<int16_t> _frame;
    uint32_t _frameBase;      // bytes of a frame without its padding byte
    uint64_t _written = 0;    // bytes of the stream so far
    uint64_t _nextHeader = 0; // stream position of the next frame header
};

} // namespace bladeenc
