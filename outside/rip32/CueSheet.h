// A cue sheet read strictly: its text decoded, every line checked, and the files, tracks and
// indexes kept with the lines they came from. CD-Text lines, REM lines, CATALOG and ISRC are kept
// as written for the callers that want the disc's metadata.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace rip32
{

enum class SheetEncoding { Utf8, Utf16, Legacy };

struct CueIndex {
    int number = 0;
    int64_t frame = 0; // position in its file
    size_t file = 0;   // into CueSheet::files
    int line = 0;
};

// A keyword line kept as written: TITLE, PERFORMER, SONGWRITER, ... or REM (value: the rest).
using CueField = std::pair<std::string, std::string>;

struct CueTrack {
    int number = 0;
    std::string mode; // AUDIO, MODE1/2352, ...
    int line = 0;
    std::vector<std::string> flags;
    bool hasFlags = false;
    std::string isrc;
    int64_t pregap = 0;  // frames of silence before the track's data, not in any file
    int64_t postgap = 0; // frames of silence after it
    std::vector<CueIndex> indexes;
    std::vector<CueField> fields;
};

struct CueFile {
    std::string name; // as the sheet writes it
    std::string type; // BINARY, MOTOROLA, WAVE, ...
    int line = 0;
};

struct CueSheet {
    SheetEncoding encoding = SheetEncoding::Utf8;
    std::string catalog;
    std::string cdTextFile;
    std::vector<CueField> fields; // disc-wide CD-Text and REM lines
    std::vector<CueFile> files;
    std::vector<CueTrack> tracks;
};

struct CueError {
    int line = 0; // 0: the sheet as a whole
    std::string what;
};

// Parses the sheet's bytes: UTF-8 with or without a byte-order mark, UTF-16 with one, or legacy
// 8-bit text (kept as bytes). False with the first fault found.
bool ParseCueSheet(const std::string& bytes, CueSheet& sheet, CueError& error);

// "mm:ss:ff" (75 frames a second); -1 when the text is not such a position.
int64_t ParseMsf(const std::string& text);

} // namespace rip32
