#include "WavFile.h"

#include "TestSupport.h"

#include <algorithm>

namespace testsupport
{

namespace
{

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

} // namespace

WavFile ReadWav(const std::string& path)
{
    const auto bytes = ReadBytes(path);
    WavFile wav;
    wav.fileSize = bytes.size();
    if (bytes.size() < kWavHeaderBytes) return wav;
    wav.riff = std::equal(bytes.begin(), bytes.begin() + 4, "RIFF");
    wav.riffSize = Le32(bytes, 4);
    wav.dataSize = Le32(bytes, 40);
    wav.data.assign(bytes.begin() + kWavHeaderBytes, bytes.end());
    return wav;
}

} // namespace testsupport
