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
    for (const CueTrack& t : sheet.tracks) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", t.number);
        text += "FILE " + Quoted(t.file) + " " + t.fileType + "\n";
        text += std::string("  TRACK ") + number + " AUDIO\n";
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
