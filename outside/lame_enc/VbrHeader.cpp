#include "VbrHeader.h"

#include "BladeEnc.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace lameenc
{

namespace
{

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

constexpr long kId3v1Size = 128;

bool ReadAt(FILE* file, long offset, void* buffer, size_t size)
{
    return std::fseek(file, offset, SEEK_SET) == 0 && std::fread(buffer, 1, size, file) == size;
}

// Where the MP3 stream begins: after an ID3v2 tag (header, syncsafe size, optional footer).
long StreamStart(FILE* file)
{
    unsigned char h[10];
    if (!ReadAt(file, 0, h, sizeof h) || std::memcmp(h, "ID3", 3) != 0) return 0;
    const long size =
        (h[6] & 0x7F) << 21 | (h[7] & 0x7F) << 14 | (h[8] & 0x7F) << 7 | (h[9] & 0x7F);
    return 10 + size + ((h[5] & 0x10) ? 10 : 0);
}

// The placeholder is a frame of the tag frame's size: the same header, nothing written in it.
bool IsPlaceholder(const std::vector<uint8_t>& found, const std::vector<uint8_t>& frame)
{
    if (found.size() != frame.size() || found.size() < 4) return false;
    if (std::memcmp(found.data(), frame.data(), 4) != 0) return false;
    for (size_t i = 4; i < found.size(); ++i)
        if (found[i] != 0) return false;
    return true;
}

} // namespace

uint32_t WriteTagFrame(const char* path, const std::vector<uint8_t>& frame, uint64_t streamBytes)
{
    if (!path || frame.empty()) return BE_ERR_INVALID_PARAMETERS;
    File file(std::fopen(path, "r+b"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) return BE_ERR_INVALID_PARAMETERS;
    const long size = std::ftell(file.get());
    const long start = StreamStart(file.get());
    if (size < 0 || start > size) return BE_ERR_INVALID_PARAMETERS;

    // The file holds the stream's bytes, and perhaps an ID3v1 tag after them.
    const uint64_t rest = static_cast<uint64_t>(size - start);
    bool holdsStream = rest == streamBytes;
    if (!holdsStream && rest == streamBytes + kId3v1Size) {
        char tag[3];
        holdsStream =
            ReadAt(file.get(), size - kId3v1Size, tag, 3) && std::memcmp(tag, "TAG", 3) == 0;
    }
    std::vector<uint8_t> found(frame.size());
    if (!holdsStream || !ReadAt(file.get(), start, found.data(), found.size()) ||
        !IsPlaceholder(found, frame))
        return BE_ERR_INVALID_PARAMETERS;

    if (std::fseek(file.get(), start, SEEK_SET) != 0 ||
        std::fwrite(frame.data(), 1, frame.size(), file.get()) != frame.size())
        return BE_ERR_INVALID_PARAMETERS;
    return std::fclose(file.release()) == 0 ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_PARAMETERS;
}

} // namespace lameenc
