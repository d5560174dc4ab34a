#include "OffsetFinder.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace verify
{

uint32_t Frame450Checksum(const uint8_t* frame)
{
    uint32_t sum = 0;
    for (uint32_t i = 0; i < CD_SAMPLES_PER_FRAME; ++i) {
        const uint8_t* s = frame + i * 4;
        const uint32_t sample =
            uint32_t{s[0]} | uint32_t{s[1]} << 8 | uint32_t{s[2]} << 16 | uint32_t{s[3]} << 24;
        sum += (i + 1) * sample;
    }
    return sum;
}

std::vector<OffsetCandidate> FindReadOffsets(const std::vector<OffsetProbe>& probes,
                                             const DbarResponse& response)
{
    std::map<int, OffsetCandidate> found;
    for (const auto& probe : probes) {
        if (probe.pcm.size() != static_cast<size_t>(kOffsetWindowFrames) * CD_FRAME_BYTES) continue;
        // The track's entries of highest confidence, from every block.
        uint32_t best = 0;
        for (const auto& block : response.blocks)
            if (probe.slot >= 0 && static_cast<size_t>(probe.slot) < block.entries.size())
                best = std::max(best, block.entries[probe.slot].confidence);
        if (best == 0) continue;
        std::vector<uint32_t> targets;
        for (const auto& block : response.blocks)
            if (static_cast<size_t>(probe.slot) < block.entries.size() &&
                block.entries[probe.slot].confidence == best)
                targets.push_back(block.entries[probe.slot].frame450);

        for (int offset = -kMaxOffsetSearch; offset <= kMaxOffsetSearch; ++offset) {
            // Corrected by `offset`, frame 450 starts `offset` samples into the window's middle.
            const uint8_t* frame = probe.pcm.data() + (kMaxOffsetSearch + offset) * 4;
            const uint32_t sum = Frame450Checksum(frame);
            if (std::find(targets.begin(), targets.end(), sum) == targets.end()) continue;
            OffsetCandidate& c = found[offset];
            c.offset = offset;
            c.tracks += 1;
            c.confidence += best;
        }
    }
    std::vector<OffsetCandidate> out;
    for (const auto& [offset, c] : found)
        if (c.tracks >= kOffsetConfirmingTracks) out.push_back(c);
    std::sort(out.begin(), out.end(), [](const OffsetCandidate& a, const OffsetCandidate& b) {
        if (a.tracks != b.tracks) return a.tracks > b.tracks;
        if (a.confidence != b.confidence) return a.confidence > b.confidence;
        return std::abs(a.offset) < std::abs(b.offset);
    });
    return out;
}

} // namespace verify
