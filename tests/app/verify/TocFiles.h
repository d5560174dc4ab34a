// Readers for the layouts the tests take from real files and from the ripper's output: CUE
// sheets, cdrdao TOC files and the PCM of WAV files.
#pragma once

#include "app/verify/DiscToc.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tocfiles
{

struct CueEntry {
    int number = 0;
    std::string file; // the FILE this track's INDEX 01 lies in
    std::string fileType;
    int64_t index01 = -1; // frames from the start of the file
    int64_t index00 = -1;
    uint32_t pregap = 0;
    std::vector<std::string> flags;
    bool audio = true;
};

struct CueContents {
    std::vector<std::string> remarks;
    std::vector<CueEntry> tracks;
};

// Throws std::runtime_error on lines it does not understand.
CueContents ParseCue(const std::string& text);
// "mm:ss:ff" in frames; throws on anything else.
uint32_t ParseMsf(const std::string& text);

// The disc of a single-file CUE sheet (every track audio, INDEX 01 positions as starts).
verify::DiscToc DiscOfSingleFileCue(const std::string& path, uint32_t leadout);

struct CdrdaoTrack {
    bool audio = true;
    uint32_t start = 0; // INDEX 01, frames from the start of the session's listing
};
struct CdrdaoSession {
    std::vector<CdrdaoTrack> tracks;
    uint32_t end = 0; // frames listed
};
// The tracks of a cdrdao TOC file laid end to end, as cdrdao lists them.
CdrdaoSession ParseCdrdaoToc(const std::string& path);

// The PCM of a WAV file (RIFF little-endian or RIFX big-endian), as little-endian samples.
std::vector<uint8_t> WavPcm(const std::string& path);

} // namespace tocfiles
