#include "CueSheet.h"

#include "DiscToc.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace verify
{

namespace
{

std::string Quoted(std::string text)
{
    std::replace(text.begin(), text.end(), '"', '\'');
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    return "\"" + text + "\"";
}

bool IsIsrc(const std::string& isrc)
{
    return isrc.size() == 12 && std::all_of(isrc.begin(), isrc.end(), [](char c) {
               return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'Z');
           });
}

} // namespace

std::string CueFileType(const std::string& extension)
{
    std::string ext = extension;
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "mp3") return "MP3";
    if (ext == "dat" || ext == "raw" || ext == "bin") return "BINARY";
    // WAV, and by custom every other audio file a player decodes itself.
    return "WAVE";
}

std::string CueSheetText(const CueSheet& sheet)
{
    std::string text;
    for (const std::string& remark : sheet.remarks) {
        std::string line = remark;
        std::replace(line.begin(), line.end(), '\n', ' ');
        std::replace(line.begin(), line.end(), '\r', ' ');
        text += "REM " + line + "\n";
    }
    if (sheet.catalog.size() == 13 &&
        std::all_of(sheet.catalog.begin(), sheet.catalog.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        text += "CATALOG " + sheet.catalog + "\n";
    if (!sheet.performer.empty()) text += "PERFORMER " + Quoted(sheet.performer) + "\n";
    if (!sheet.title.empty()) text += "TITLE " + Quoted(sheet.title) + "\n";
    for (const CueTrack& t : sheet.tracks) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", t.number);
        text += "FILE " + Quoted(t.file) + " " + t.fileType + "\n";
        text += std::string("  TRACK ") + number + " AUDIO\n";
        if (!t.title.empty()) text += "    TITLE " + Quoted(t.title) + "\n";
        if (!t.performer.empty()) text += "    PERFORMER " + Quoted(t.performer) + "\n";
        if (IsIsrc(t.isrc)) text += "    ISRC " + t.isrc + "\n";
        if (t.copyPermitted || t.preEmphasis) {
            text += "    FLAGS";
            if (t.copyPermitted) text += " DCP";
            if (t.preEmphasis) text += " PRE";
            text += "\n";
        }
        if (t.pregap > 0) text += "    PREGAP " + MsfText(t.pregap) + "\n";
        text += "    INDEX 01 00:00:00\n";
    }
    return text;
}

} // namespace verify
