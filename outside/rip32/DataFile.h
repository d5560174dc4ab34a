// The data files a cue sheet names, each read as a run of 2352-byte CD frames: raw little- or
// big-endian audio, RIFF WAV (44.1 kHz 16-bit stereo PCM) and FLAC. The format comes from the
// file's content; the sheet's FILE type only decides between the two raw byte orders.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace rip32
{

class DataFile
{
public:
    virtual ~DataFile() = default;
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    // Null when the file is refused; `error` then says why (without the file's name).
    static std::unique_ptr<DataFile> Open(const std::string& path, const std::string& type,
                                          std::string& error);

    int64_t frames() const { return frames_; }
    // Reads frames [first, first + count) of the file as little-endian CD audio; false when
    // the data is not (or no longer) there.
    virtual bool Read(int64_t first, uint32_t count, uint8_t* out) = 0;

protected:
    DataFile() = default;
    int64_t frames_ = 0;
};

} // namespace rip32
