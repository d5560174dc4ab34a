// The plain-text rip log: drive and read settings, disc identifiers, and per track its file,
// length, what the reader saw, CRC32, AccurateRip checksums and verification result.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace verify
{

struct LogTrack {
    int number = 0; // the disc's track number
    std::string name;
    std::string file;         // empty: no file was written
    std::string fileChecksum; // FileChecksum of the file, for a later re-tag; empty for none
    uint32_t start = 0;       // frame address
    uint32_t length = 0;      // frames
    bool data = false;
    std::string status; // "complete", "read error", ...
    uint32_t retries = 0;
    uint64_t zeroSamples = 0;     // samples outside the disc, filled with zeros
    bool overreadRefused = false; // the drive was asked to overread and would not
    bool checksums = false;       // the values below cover the whole track
    uint32_t crc32 = 0;
    uint32_t crc32WithoutNullSamples = 0;
    uint32_t accurateRipV1 = 0;
    uint32_t accurateRipV2 = 0;
    std::string verification; // empty when no response was given
    bool accurate = false;
};

using LogFields = std::vector<std::pair<std::string, std::string>>;

struct RipLogInfo {
    std::string heading; // first line
    LogFields settings;  // drive, read settings, format, folder
    LogFields disc;      // identifiers, response
    std::vector<LogTrack> tracks;
};

std::string RipLogText(const RipLogInfo& info);

struct DiscToc;

// The "Table of contents" field: "01 0, 02 19654 DCP, 03 36387 data PRE; lead-out 73020"
// (track numbers, frame addresses, flags), enough to give a re-tag the disc back.
std::string TocLogText(const DiscToc& toc);

// One "label: value" line of the log (without its line end), the value in its column.
std::string RipLogLine(const std::string& indent, const std::string& label,
                       const std::string& value);

} // namespace verify
