#include "WavStream.h"

#include "include/CdAudio.h"
#include "platform/DebugTrace.h"

#include <array>
#include <cstring>

namespace veltraenc
{

namespace
{

constexpr uint16_t kFormatPcm = 1;
constexpr uint32_t kFormatChunkSize = 16;
// Header bytes after the RIFF size field: the RIFF size is data size + 36.
constexpr uint32_t kRiffOverhead = kWavHeaderSize - 8;

void Put16(unsigned char* at, uint16_t value)
{
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void Put32(unsigned char* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::array<unsigned char, kWavHeaderSize> MakeHeader(uint32_t dataSize)
{
    std::array<unsigned char, kWavHeaderSize> h{};
    std::memcpy(&h[0], "RIFF", 4);
    Put32(&h[4], dataSize + kRiffOverhead);
    std::memcpy(&h[8], "WAVE", 4);
    std::memcpy(&h[12], "fmt ", 4);
    Put32(&h[16], kFormatChunkSize);
    Put16(&h[20], kFormatPcm);
    Put16(&h[22], CD_CHANNELS);
    Put32(&h[24], CD_SAMPLE_RATE);
    Put32(&h[28], CD_SAMPLE_RATE * CD_SAMPLE_FRAME_BYTES);
    Put16(&h[32], CD_SAMPLE_FRAME_BYTES);
    Put16(&h[34], CD_BITS_PER_SAMPLE);
    std::memcpy(&h[36], "data", 4);
    Put32(&h[40], dataSize);
    return h;
}

} // namespace

WavStream::WavStream() : OutputStream("wav", "w+b") {}

int WavStream::OpenOutputFile()
{
    if (!IsWriteEnabled()) return 1;
    if (!OutputStream::OpenOutputFile()) return 0;
    // A failed header write is remembered by the stream and reported by Close.
    WriteWavHeader(_dataSize);
    return 1;
}

int WavStream::Encode(const unsigned char* pcm, int count)
{
    if (!IsOpen() || count <= 0) return 0;
    // The size counts what was handed over, even when the write falls short; the shortfall
    // itself is remembered and makes Close report the file as failed.
    _dataSize += static_cast<uint32_t>(count);
    return static_cast<int>(WriteOutput(pcm, static_cast<size_t>(count)));
}

int WavStream::Flush()
{
    return 0;
}

int WavStream::Close()
{
    if (!IsWriteEnabled()) return 1;
    if (IsOpen()) WriteWavHeader(_dataSize);
    return OutputStream::Close();
}

int WavStream::WriteWavHeader(uint32_t dataSize)
{
    plat::DebugTrace("WavStream::WriteWavHeader(%d) (sizeof(wav):%d)", static_cast<int>(dataSize),
                     static_cast<int>(kWavHeaderSize));
    // The line keeps its 32-bit format: it shows the low 32 bits of the address.
    plat::DebugTrace("WavStream::WriteWavHeader, _fpOut: %08X",
                     static_cast<unsigned>(reinterpret_cast<uintptr_t>(OutputFile())));
    FILE* file = OutputFile();
    if (!file) return 0;
    const auto header = MakeHeader(dataSize);
    // A failed seek (it flushes the data written before) or header write is remembered.
    if (std::fseek(file, 0, SEEK_SET) != 0) {
        NoteWriteFailure();
        return 0;
    }
    const size_t written = std::fwrite(header.data(), header.size(), 1, file);
    if (written != 1) NoteWriteFailure();
    return static_cast<int>(written);
}

} // namespace veltraenc
