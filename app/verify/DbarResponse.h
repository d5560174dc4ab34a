// The AccurateRip database response (the binary "dBAR" file): its parser, and the matcher that
// says whether a track's v1 or v2 checksum is in it and with what confidence.
#pragma once

#include "DiscIds.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace verify
{

struct DbarEntry {
    uint32_t confidence = 0; // how many submissions agree
    uint32_t checksum = 0;   // v1 or v2 checksum of the track
    uint32_t frame450 = 0;   // checksum of one frame, used to find read offsets
};

// One block: a header naming the disc, then one entry per track in TOC order.
struct DbarBlock {
    AccurateRipDiscId disc;
    std::vector<DbarEntry> entries;
};

struct DbarResponse {
    std::vector<DbarBlock> blocks;
};

// The largest response file that is read.
constexpr size_t kMaxDbarBytes = 4 << 20;

// Parses the whole buffer; false with a reason on a malformed or truncated response.
bool ParseDbar(const uint8_t* data, size_t size, DbarResponse& out, std::string& error);
bool LoadDbarFile(const std::string& path, DbarResponse& out, std::string& error);

// Every block names this disc.
bool ResponseIsFor(const DbarResponse& response, const AccurateRipDiscId& disc);

enum class ArVerdict { Accurate, NotAccurate, NotInDatabase };

struct ArMatch {
    ArVerdict verdict = ArVerdict::NotInDatabase;
    uint32_t v1Confidence = 0; // 0: the v1 checksum matched no entry
    uint32_t v2Confidence = 0;
    uint32_t maxConfidence = 0; // highest confidence of any entry for the track
    size_t entries = 0;         // entries for the track with a confidence above 0
};

// Looks the track's checksums up in its slot (AccurateRipSlot) of every block. Entries with
// confidence 0 count for nothing. Where a checksum is in more than one block, the highest
// confidence counts.
ArMatch MatchTrack(const DbarResponse& response, int slot, uint32_t v1, uint32_t v2);

// "accurate (v1 confidence 12, v2 confidence 7, of 12)", "NOT accurate (0 of 3 entries match)",
// "not in database".
std::string MatchText(const ArMatch& match);

} // namespace verify
