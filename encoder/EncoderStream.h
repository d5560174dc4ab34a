// The stream base for outside encoder libraries: loads the library by name, binds its
// entry points and keeps the tag and encoder settings every back-end stream shares.
#pragma once

#include "BackEndLibrary.h"
#include "OutputStream.h"

#include <array>
#include <cstdint>
#include <memory>

namespace veltraenc
{

constexpr size_t kTagTextCapacity = 30;
constexpr size_t kTagYearCapacity = 4;
constexpr uint8_t kDefaultGenre = 17;
constexpr uint16_t kDefaultBitrate = 128;

// The ID3 version 1.1 texts and numbers.
struct Id3Fields {
    std::array<char, kTagTextCapacity + 1> artist{};
    std::array<char, kTagTextCapacity + 1> title{};
    std::array<char, kTagTextCapacity + 1> album{};
    std::array<char, kTagYearCapacity + 1> year{};
    uint8_t genre = kDefaultGenre;
    int32_t level = 0; // greater than 0: a tag is asked for
    uint8_t track = 0;
};

// The settings every MP3 configuration record carries.
struct Mp3Settings {
    uint16_t bitrate = kDefaultBitrate; // kbit/s
    int32_t mode = 0;
    int32_t crc = 0;
    int32_t copyright = 0;
    int32_t privateFlag = 0;
    int32_t original = 0;
};

class EncoderStream : public OutputStream
{
public:
    ~EncoderStream() override;

    int SetIntOption(int option, int value) override;
    int SetAsciiOption(int option, const char* text) override;
    int Encode(const unsigned char* pcm, int count) override;
    int Flush() override;
    int Close() override;

    // The library loaded and all required entry points bound.
    bool HasBackEnd() const { return _library != nullptr; }
    const BackEndEntryPoints& EntryPoints() const { return _entry; }
    bool IsStarted() const { return _backEndStream != 0; }
    const Id3Fields& Tag() const { return _tag; }
    const Mp3Settings& Settings() const { return _settings; }
    // PCM bytes per beEncodeChunk call, and those waiting for the next chunk.
    uint32_t ChunkSize() const { return _chunkSize; }
    uint32_t StagedBytes() const { return _staged; }

    // Appends the ID3v1.1 tag at the output file's position: 1 when written, 0 when the file
    // is closed, writing is switched off or the title, artist or album is empty.
    int WriteId3Tag();

protected:
    // Never created by itself; loads the back-end library at once.
    EncoderStream(const char* extension, const char* openMode, const char* libraryName);

    // Binds the six entry points; a library lacking a required one is freed and forgotten.
    bool BindBackEnd();

    // Starts the back-end stream with a configuration record and allocates the staging and
    // output buffers from the sizes it reports: 1 when started. A back-end that reports a
    // failure, no stream or unusable sizes leaves the stream unstarted and nothing allocated.
    int StartBackEnd(void* config);
    // Releases a started back-end stream (beCloseStream) once.
    void CloseBackEnd();
    // PCM bytes per beEncodeChunk call for the sample count the back-end reported at its
    // start; 0 makes the start unusable. The MP3 back-ends count 16-bit samples.
    virtual uint64_t ChunkBytes(uint64_t reportedSamples) const { return reportedSamples * 2; }
    // After Flush the back-end stream is finished: no further chunk may reach it.
    bool IsFlushed() const { return _flushed; }
    void SetTagLevel(int32_t level) { _tag.level = level; }

private:
    // One beEncodeChunk call; returns the output length, written as WriteEncoded says.
    uint32_t EncodeChunk(const uint8_t* pcm, uint32_t bytes);
    // Writes back-end output to the file when it is open and writing is on.
    void WriteEncoded(uint32_t length);

    BEStream _backEndStream = 0;
    LibraryHandle _library;
    BackEndEntryPoints _entry;
    uint32_t _chunkSize = 0;
    uint32_t _staged = 0;
    std::unique_ptr<uint8_t[]> _stagingBuffer;
    std::unique_ptr<uint8_t[]> _outputBuffer;
    uint32_t _outputBufferSize = 0;
    bool _flushed = false;
    Id3Fields _tag;
    Mp3Settings _settings;
};

} // namespace veltraenc
