#include "RipLog.h"

#include "DiscToc.h"

#include <cstdio>

namespace verify
{

namespace
{

void Field(std::string& text, const std::string& indent, const std::string& label,
           const std::string& value)
{
    text += RipLogLine(indent, label, value) + "\n";
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

} // namespace

std::string RipLogLine(const std::string& indent, const std::string& label,
                       const std::string& value)
{
    char line[64];
    std::snprintf(line, sizeof line, "%-28s", (label + ":").c_str());
    return indent + line + " " + value;
}

std::string TocLogText(const DiscToc& toc)
{
    std::string text;
    for (const TocTrack& t : toc.tracks) {
        char track[32];
        std::snprintf(track, sizeof track, "%s%02d %u", text.empty() ? "" : ", ", t.number,
                      t.start);
        text += track;
        if (t.data) text += " data";
        if (t.copyPermitted) text += " DCP";
        if (t.preEmphasis) text += " PRE";
    }
    return text + "; lead-out " + std::to_string(toc.leadout);
}

std::string RipLogText(const RipLogInfo& info)
{
    std::string text = info.heading + "\n\n";
    for (const auto& [label, value] : info.settings)
        Field(text, "", label, value);
    text += "\n";
    for (const auto& [label, value] : info.disc)
        Field(text, "", label, value);

    int complete = 0, accurate = 0, checked = 0;
    for (const LogTrack& t : info.tracks) {
        char number[16];
        std::snprintf(number, sizeof number, "Track %02d", t.number);
        text += "\n" + std::string(number) + (t.name != number ? " (" + t.name + ")" : "") + "\n";
        Field(text, "  ", "File", t.file.empty() ? "(none written)" : t.file);
        if (!t.fileChecksum.empty()) Field(text, "  ", "File checksum", t.fileChecksum);
        Field(text, "  ", "Start", std::to_string(t.start) + " (" + MsfText(t.start, '.') + ")");
        Field(text, "  ", "Length",
              MsfText(t.length, '.') + " (" + std::to_string(t.length) + " frames)");
        Field(text, "  ", "Read",
              t.status + ", " + std::to_string(t.retries) +
                  (t.retries == 1 ? " re-read" : " re-reads"));
        if (t.zeroSamples > 0)
            Field(text, "  ", "Outside the disc",
                  std::to_string(t.zeroSamples) + " samples filled with zeros" +
                      (t.overreadRefused ? " (the drive would not overread)" : ""));
        if (t.status == "complete") ++complete;
        if (t.checksums) {
            Field(text, "  ", "CRC32", Hex(t.crc32));
            Field(text, "  ", "CRC32 without null samples", Hex(t.crc32WithoutNullSamples));
            if (t.data) {
                Field(text, "  ", "AccurateRip", "none for a data track");
            } else {
                Field(text, "  ", "AccurateRip v1", Hex(t.accurateRipV1));
                Field(text, "  ", "AccurateRip v2", Hex(t.accurateRipV2));
            }
        } else {
            Field(text, "  ", "Checksums", "none: the track was not read whole");
        }
        if (!t.verification.empty()) {
            Field(text, "  ", "Verification", t.verification);
            ++checked;
            if (t.accurate) ++accurate;
        }
    }

    char summary[200];
    std::snprintf(summary, sizeof summary, "\n%d of %zu tracks read completely", complete,
                  info.tracks.size());
    text += summary;
    if (checked > 0) {
        std::snprintf(summary, sizeof summary, "; %d of %d verified accurate", accurate, checked);
        text += summary;
    }
    text += "\n";
    return text;
}

} // namespace verify
