// Burst then verify: what a track's checksums say against the disc's AccurateRip response,
// whether the track is read again in secure mode, and the words both rippers report for it.
#pragma once

#include "DbarResponse.h"
#include "DiscToc.h"
#include "PcmChecksums.h"

#include <string>

namespace verify
{

// The checksums of the disc's audio track `number`, set for its place on the disc (the first
// and last audio tracks leave out their edges); lengthFrames is the track's length.
PcmChecksums AudioTrackChecksums(const DiscToc& toc, int number, uint32_t lengthFrames);

// The match of audio track `number` read whole (sums complete) in its slot of the response.
ArMatch MatchChecksums(const DbarResponse& response, const DiscToc& toc, int number,
                       const PcmChecksums& sums);

// One audio track read whole by the burst rip, and perhaps again in secure mode.
struct BurstTrack {
    ArMatch match;        // of the latest read: the burst rip's, or the secure re-read's
    bool reread = false;  // read again in secure mode
    bool inexact = false; // the secure re-read left samples no two reads agreed on
};

// A burst read that is not accurate, or that the database does not know, is read again.
bool ReadAgain(const ArMatch& burst);

// "accurate (confidence N)" for a burst read that matched; after the re-read "inexact",
// "accurate after re-read", "not in database, secure: exact" or "NOT accurate, secure: exact".
// Empty for a burst read that is still to be read again.
std::string BurstWords(const BurstTrack& track);

} // namespace verify
