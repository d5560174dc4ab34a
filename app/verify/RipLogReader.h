// Reads back what a re-tag needs from a rip log: the disc's table of contents, the output
// folder, and per track its file and the file's checksum, with the line that names the file.
#pragma once

#include "DiscToc.h"

#include <optional>
#include <string>
#include <vector>

namespace verify
{

struct LoggedTrack {
    int number = 0;
    bool data = false;
    std::string file;         // as logged; empty when none was written
    std::string fileChecksum; // empty in logs of older versions
    bool complete = false;    // the track was read whole
    size_t fileLine = 0;      // index of its "File" line among the log's lines
};

struct LoggedRip {
    std::vector<std::string> lines; // the log's lines, without their ends
    std::optional<DiscToc> toc;     // nullopt in logs of older versions
    std::string outputFolder;
    std::vector<LoggedTrack> tracks;
};

// Parses "01 0, 02 19654 DCP; lead-out 73020" (TocLogText); nullopt for anything else.
std::optional<DiscToc> ParseTocLogText(const std::string& text);

// False with `error` for a text that is no rip log.
bool ReadRipLog(const std::string& text, LoggedRip& rip, std::string& error);

} // namespace verify
