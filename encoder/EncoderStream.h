// The stream base for outside encoder libraries: loads the library by name, binds its
// entry points and keeps the tag and encoder settings every back-end stream shares.
#pragma once

#include "BackEndLibrary.h"
#include "OutputStream.h"

#include <array>
#include <cstdint>

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

protected:
    // Never created by itself; loads the back-end library at once.
    EncoderStream(const char* extension, const char* openMode, const char* libraryName);

    // Binds the six entry points; a library lacking a required one is freed and forgotten.
    bool BindBackEnd();

    BEStream _backEndStream = 0;
    LibraryHandle _library;
    BackEndEntryPoints _entry;
    Id3Fields _tag;
    Mp3Settings _settings;
};

} // namespace veltraenc
