// A WAV file of the rip as the tests read it: the sizes its 44-byte header gives and the audio
// after the header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport
{

constexpr size_t kWavHeaderBytes = 44;

struct WavFile {
    size_t fileSize = 0;
    bool riff = false;     // starts with "RIFF"
    uint32_t riffSize = 0; // the header's sizes
    uint32_t dataSize = 0;
    std::vector<uint8_t> data; // what follows the header; empty for a file without one

    // The header's sizes agree with the file: a WAV file closed as it should be.
    bool Consistent() const
    {
        return riff && fileSize >= kWavHeaderBytes && dataSize == fileSize - kWavHeaderBytes &&
               riffSize == dataSize + 36;
    }
};

WavFile ReadWav(const std::string& path);

} // namespace testsupport
