// One stream of the stand-in: a libmp3lame encoder fed with interleaved stereo bytes, counting
// what it produces, and its Xing/LAME tag frame once finished.
#pragma once

#include "LameEnc.h"
#include "LameSettings.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace lameenc
{

class LameEncoder
{
public:
    // Null when libmp3lame refuses the settings.
    static std::unique_ptr<LameEncoder> Start(const LameSettings& settings);
    ~LameEncoder();
    LameEncoder(const LameEncoder&) = delete;
    LameEncoder& operator=(const LameEncoder&) = delete;

    // Encodes sampleCount samples (both channels counted) read as bytes into the output of
    // kLameOutputBufferSize bytes; the output length, or -1 when libmp3lame fails.
    int Encode(const uint8_t* samples, uint32_t sampleCount, uint8_t* output);
    // Writes the last bytes and makes the tag frame; the output length or -1.
    int Finish(uint8_t* output);

    bool IsFinished() const { return _finished; }
    uint32_t ChunkSamples() const { return kLameChunkSamples; }
    // Every byte the stream has produced, the tag frame's placeholder included.
    uint64_t StreamBytes() const { return _streamBytes; }
    // The finished stream's Xing/LAME frame; empty without the VBR header step.
    const std::vector<uint8_t>& TagFrame() const { return _tagFrame; }

private:
    LameEncoder(lame_t encoder, bool withTagFrame);

    lame_t _encoder;
    bool _withTagFrame;
    bool _finished = false;
    uint64_t _streamBytes = 0;
    std::vector<int16_t> _scratch;
    std::vector<uint8_t> _tagFrame;
};

} // namespace lameenc
