// Disc images the user names: arbitrary cue sheets and cdrdao toc files, opened, their table
// of contents read, and a few frames read, through the stand-in's disc class.
#include "Disc.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

// A folder with a small data file the texts may name.
const std::string& Folder()
{
    static std::string folder = [] {
        char pattern[] = "/tmp/veltra-imagefuzz-XXXXXX";
        std::string f = mkdtemp(pattern) ? pattern : "/tmp";
        std::vector<char> frames(20 * 2352, 0x11);
        if (FILE* bin = std::fopen((f + "/f.bin").c_str(), "wb")) {
            std::fwrite(frames.data(), 1, frames.size(), bin);
            std::fclose(bin);
        }
        return f;
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const std::string path = Folder() + (data[0] & 1 ? "/d.toc" : "/d.cue");
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data + 1, 1, size - 1, f);
        std::fclose(f);
    }
    if (auto disc = rip32::Disc::Open(path, true)) {
        CDTocRecord toc{};
        disc->ReadToc(toc);
        std::vector<uint8_t> memory(sizeof(CDSectorHeader) + 27 * 2352);
        auto* header = reinterpret_cast<CDSectorHeader*>(memory.data());
        header->bufferLength = 27 * 2352;
        for (uint32_t start : {0u, 5u, 30u}) {
            header->startFrame = start;
            header->frameCount = 27;
            header->bytesReturned = header->dataOffset = 0;
            disc->ReadPlain(*header);
        }
    }
    unlink(path.c_str());
    return 0;
}
