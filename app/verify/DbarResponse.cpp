#include "DbarResponse.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace verify
{

namespace
{

constexpr size_t kHeaderBytes = 13; // track count, id1, id2, freedb id
constexpr size_t kEntryBytes = 9;   // confidence, checksum, frame 450 checksum

uint32_t Le32(const uint8_t* p)
{
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

} // namespace

bool ParseDbar(const uint8_t* data, size_t size, DbarResponse& out, std::string& error)
{
    out.blocks.clear();
    if (!data || size == 0) {
        error = "the response is empty";
        return false;
    }
    size_t pos = 0;
    while (pos < size) {
        if (size - pos < kHeaderBytes) {
            error = "the response ends inside a block header";
            return false;
        }
        DbarBlock block;
        const uint8_t* h = data + pos;
        block.disc.audioTracks = h[0];
        block.disc.id1 = Le32(h + 1);
        block.disc.id2 = Le32(h + 5);
        block.disc.freedb = Le32(h + 9);
        if (block.disc.audioTracks < 1 || block.disc.audioTracks > 99) {
            error = "a block counts " + std::to_string(block.disc.audioTracks) + " tracks";
            return false;
        }
        pos += kHeaderBytes;
        const size_t need = static_cast<size_t>(block.disc.audioTracks) * kEntryBytes;
        if (size - pos < need) {
            error = "the response ends inside block " + std::to_string(out.blocks.size() + 1);
            return false;
        }
        for (int t = 0; t < block.disc.audioTracks; ++t, pos += kEntryBytes) {
            const uint8_t* e = data + pos;
            block.entries.push_back({e[0], Le32(e + 1), Le32(e + 5)});
        }
        out.blocks.push_back(std::move(block));
    }
    return true;
}

bool LoadDbarFile(const std::string& path, DbarResponse& out, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<uint8_t> bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
        if (bytes.size() > kMaxDbarBytes) {
            error = path + " is too large for an AccurateRip response";
            return false;
        }
    }
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    return ParseDbar(bytes.data(), bytes.size(), out, error);
}

bool ResponseIsFor(const DbarResponse& response, const AccurateRipDiscId& disc)
{
    if (response.blocks.empty()) return false;
    return std::all_of(response.blocks.begin(), response.blocks.end(),
                       [&](const DbarBlock& b) { return b.disc == disc; });
}

ArMatch MatchTrack(const DbarResponse& response, int slot, uint32_t v1, uint32_t v2)
{
    ArMatch match;
    if (slot < 0) return match;
    for (const DbarBlock& block : response.blocks) {
        if (static_cast<size_t>(slot) >= block.entries.size()) continue;
        const DbarEntry& e = block.entries[static_cast<size_t>(slot)];
        if (e.confidence == 0) continue;
        ++match.entries;
        match.maxConfidence = std::max(match.maxConfidence, e.confidence);
        if (e.checksum == v1) match.v1Confidence = std::max(match.v1Confidence, e.confidence);
        if (e.checksum == v2) match.v2Confidence = std::max(match.v2Confidence, e.confidence);
    }
    if (match.entries == 0)
        match.verdict = ArVerdict::NotInDatabase;
    else if (match.v1Confidence > 0 || match.v2Confidence > 0)
        match.verdict = ArVerdict::Accurate;
    else
        match.verdict = ArVerdict::NotAccurate;
    return match;
}

std::string MatchText(const ArMatch& match)
{
    char text[128];
    switch (match.verdict) {
    case ArVerdict::Accurate:
        if (match.v1Confidence > 0 && match.v2Confidence > 0)
            std::snprintf(text, sizeof text, "accurate (v1 confidence %u, v2 confidence %u, of %u)",
                          match.v1Confidence, match.v2Confidence, match.maxConfidence);
        else
            std::snprintf(text, sizeof text, "accurate (%s confidence %u, of %u)",
                          match.v1Confidence > 0 ? "v1" : "v2",
                          std::max(match.v1Confidence, match.v2Confidence), match.maxConfidence);
        return text;
    case ArVerdict::NotAccurate:
        std::snprintf(text, sizeof text,
                      "NOT accurate (%zu entries, none matches, highest confidence %u)",
                      match.entries, match.maxConfidence);
        return text;
    case ArVerdict::NotInDatabase:
        break;
    }
    return "not in database";
}

} // namespace verify
