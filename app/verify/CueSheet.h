// The CUE sheet of a rip with one file per track: every track's INDEX 01 at the start of its
// own file, so the files' lengths give the disc's layout back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace verify
{

struct CueTrack {
    int number = 0;       // the disc's track number
    std::string file;     // as the sheet names it, relative to the sheet's folder
    std::string fileType; // CueFileType
    uint32_t pregap = 0;  // frames of silence before INDEX 01 that no file holds
    bool copyPermitted = false;
    bool preEmphasis = false;
    std::string title; // TITLE, PERFORMER and ISRC lines when not empty
    std::string performer;
    std::string isrc; // twelve letters and digits; anything else is left out
};

struct CueSheet {
    std::vector<std::string> remarks; // "REM " lines, e.g. "DISCID 5A038407"
    std::string catalog;              // the disc's 13-digit MCN; anything else is left out
    std::string title;
    std::string performer;
    std::vector<CueTrack> tracks;
};

// The FILE type of an output file's extension: WAVE, MP3, or BINARY for raw little-endian PCM.
std::string CueFileType(const std::string& extension);

// The sheet's text, LF line ends. Double quotes cannot stand inside a quoted name and become
// single quotes.
std::string CueSheetText(const CueSheet& sheet);

} // namespace verify
