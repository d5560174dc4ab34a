// Finding a drive's read offset from the AccurateRip response of the disc in it: every offset
// within five frames is tried against the checksum of one frame, frame 450 of each track, that
// the response keeps for this purpose.
#pragma once

#include "DbarResponse.h"

#include "CdAudio.h"

#include <cstdint>
#include <vector>

namespace verify
{

constexpr int kMaxOffsetSearch = 5 * CD_SAMPLES_PER_FRAME; // samples either way
constexpr uint32_t kOffsetFrame = 450;                     // counted from the track's INDEX 01
// Tracks shorter than this are skipped: their frame 450 would reach into the disc's end.
constexpr uint32_t kMinOffsetTrackFrames = 456;
// The frames read around frame 450 cover it at every offset tried.
constexpr uint32_t kOffsetWindowFirst = kOffsetFrame - kMaxOffsetSearch / CD_SAMPLES_PER_FRAME;
constexpr uint32_t kOffsetWindowFrames = 2 * kMaxOffsetSearch / CD_SAMPLES_PER_FRAME + 1;
// An offset counts once it matches on this many tracks.
constexpr int kOffsetConfirmingTracks = 2;

// The AccurateRip v1 sum of one frame: the sum of (i + 1) x sample i over its 588 samples,
// each sample read as a little-endian 32-bit word (left channel low).
uint32_t Frame450Checksum(const uint8_t* frame);

// One track's frames kOffsetWindowFirst .. + kOffsetWindowFrames as the drive delivered them,
// uncorrected: kOffsetWindowFrames x 2352 bytes.
struct OffsetProbe {
    int slot = 0; // the track's place in the response (AccurateRipSlot)
    std::vector<uint8_t> pcm;
};

struct OffsetCandidate {
    int offset = 0;          // samples, as the drive-offset table counts them
    int tracks = 0;          // tracks whose frame 450 matched
    uint32_t confidence = 0; // sum of the matched entries' confidence
};

// Every offset that matches the response's entries of highest confidence on at least
// kOffsetConfirmingTracks tracks, the best first (most tracks, then confidence, then the
// smallest offset). Probes of the wrong size or without entries are skipped.
std::vector<OffsetCandidate> FindReadOffsets(const std::vector<OffsetProbe>& probes,
                                             const DbarResponse& response);

} // namespace verify
