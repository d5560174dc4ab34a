#include "RipLogReader.h"

#include <cstdio>
#include <sstream>

namespace verify
{

namespace
{

constexpr size_t kValueColumn = 28; // as RipLogLine writes it

// Splits "  Label:      value" into label and value; false for a line without a label.
bool SplitField(const std::string& line, std::string& label, std::string& value, size_t& indent)
{
    indent = line.find_first_not_of(' ');
    const size_t colon = line.find(':');
    if (indent == std::string::npos || colon == std::string::npos || colon < indent) return false;
    label = line.substr(indent, colon - indent);
    const size_t at = indent + std::max(kValueColumn, label.size() + 1) + 1;
    value = at <= line.size() ? line.substr(at) : std::string();
    return true;
}

} // namespace

std::optional<DiscToc> ParseTocLogText(const std::string& text)
{
    const size_t semi = text.rfind("; lead-out ");
    if (semi == std::string::npos) return std::nullopt;
    unsigned leadout = 0;
    char extra = 0;
    if (std::sscanf(text.c_str() + semi, "; lead-out %u%c", &leadout, &extra) != 1)
        return std::nullopt;
    std::vector<TocTrack> tracks;
    std::istringstream list(text.substr(0, semi));
    std::string item;
    while (std::getline(list, item, ',')) {
        std::istringstream words(item);
        TocTrack t;
        long long start = -1;
        if (!(words >> t.number >> start) || start < 0 || start > UINT32_MAX) return std::nullopt;
        t.start = static_cast<uint32_t>(start);
        std::string flag;
        while (words >> flag) {
            if (flag == "data")
                t.data = true;
            else if (flag == "DCP")
                t.copyPermitted = true;
            else if (flag == "PRE")
                t.preEmphasis = true;
            else
                return std::nullopt;
        }
        tracks.push_back(t);
    }
    return MakeDiscToc(std::move(tracks), leadout);
}

bool ReadRipLog(const std::string& text, LoggedRip& rip, std::string& error)
{
    rip = LoggedRip{};
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        rip.lines.push_back(line);
    if (rip.lines.empty() || rip.lines[0].find("rip log of") == std::string::npos) {
        error = "not a rip log";
        return false;
    }
    LoggedTrack* track = nullptr;
    for (size_t i = 1; i < rip.lines.size(); ++i) {
        const std::string& line = rip.lines[i];
        int number = 0;
        if (line.compare(0, 6, "Track ") == 0 && std::sscanf(line.c_str(), "Track %d", &number)) {
            rip.tracks.push_back(LoggedTrack{});
            track = &rip.tracks.back();
            track->number = number;
            continue;
        }
        std::string label, value;
        size_t indent = 0;
        if (!SplitField(line, label, value, indent)) continue;
        if (indent == 0) {
            track = nullptr;
            if (label == "Output folder") rip.outputFolder = value;
            if (label == "Table of contents") rip.toc = ParseTocLogText(value);
            continue;
        }
        if (!track) continue;
        if (label == "File") {
            track->file = value == "(none written)" ? std::string() : value;
            track->fileLine = i;
        } else if (label == "File checksum") {
            track->fileChecksum = value;
        } else if (label == "Read") {
            track->complete = value.compare(0, 9, "complete,") == 0;
        } else if (label == "AccurateRip" && value == "none for a data track") {
            track->data = true;
        }
    }
    return true;
}

} // namespace verify
