#include "BurstVerdict.h"

#include "DiscIds.h"

#include <algorithm>

namespace verify
{

PcmChecksums AudioTrackChecksums(const DiscToc& toc, int number, uint32_t lengthFrames)
{
    return PcmChecksums(uint64_t{lengthFrames} * kSamplesPerFrame, toc.IsFirstAudioTrack(number),
                        toc.IsLastAudioTrack(number));
}

ArMatch MatchChecksums(const DbarResponse& response, const DiscToc& toc, int number,
                       const PcmChecksums& sums)
{
    return MatchTrack(response, AccurateRipSlot(toc, number), sums.accurateRipV1(),
                      sums.accurateRipV2());
}

bool ReadAgain(const ArMatch& burst)
{
    return burst.verdict != ArVerdict::Accurate;
}

std::string BurstWords(const BurstTrack& track)
{
    const bool accurate = track.match.verdict == ArVerdict::Accurate;
    if (!track.reread) {
        if (!accurate) return {};
        return "accurate (confidence " +
               std::to_string(std::max(track.match.v1Confidence, track.match.v2Confidence)) + ")";
    }
    if (track.inexact) return "inexact";
    if (accurate) return "accurate after re-read";
    if (track.match.verdict == ArVerdict::NotInDatabase) return "not in database, secure: exact";
    return "NOT accurate, secure: exact";
}

} // namespace verify
