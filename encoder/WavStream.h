// Encoder type 1: the PCM bytes behind a canonical 44-byte RIFF/WAVE header of CD audio,
// rewritten with the final size when the stream closes.
#pragma once

#include "OutputStream.h"

#include <cstdint>

namespace veltraenc
{

constexpr size_t kWavHeaderSize = 44;

class WavStream : public OutputStream
{
public:
    WavStream();
    int OpenOutputFile() override;
    int Encode(const unsigned char* pcm, int count) override;
    int Flush() override;
    int Close() override;

    // Seeks to the start and writes the header for the given data size; 1 when written.
    int WriteWavHeader(uint32_t dataSize);
    uint32_t DataSize() const { return _dataSize; }

private:
    // PCM bytes handed to Encode while the file was open; wraps at 2^32.
    uint32_t _dataSize = 0;
};

} // namespace veltraenc
