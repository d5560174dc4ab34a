// Burst then verify in the window program: every ticked track read at full speed through a
// checksum tap, checked against the disc's AccurateRip response, and the tracks that do not
// match (or that the database does not know) read again in secure mode.
#pragma once

#include "app/cd/TrackList.h"
#include "app/rip/RipCommand.h"
#include "app/verify/BurstVerdict.h"
#include "app/verify/DbarResponse.h"
#include "app/verify/DiscToc.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class BurstRip
{
public:
    // Without a TOC or a response nothing matches: every track read whole is read again.
    BurstRip(std::optional<verify::DiscToc> toc, std::optional<verify::DbarResponse> response);
    ~BurstRip();

    // True once the burst rip is over and the secure re-reads run.
    bool rereading() const { return rereading_; }
    // The tap for the track's read; null for a track that is not an audio track of the TOC.
    PcmTap* Begin(const TrackRecord& record);
    // Once both threads of the track have ended: finished when it was read to its end, inexact
    // when secure mode left samples no two reads agreed on.
    void End(const TrackRecord& record, bool finished, bool inexact);
    // The track's Status words; `plain` for a track the verification does not speak for, and
    // empty for a burst read still to be read again.
    std::string Status(const TrackRecord& record, const std::string& plain) const;

    // The burst rip of the ticked rows, then the secure re-reads of those that did not match.
    // The re-read replaces the burst rip's file. The ticks stay as they were.
    void Run(TrackList& list, RipFrontEnd& frontEnd, CDHANDLE drive);

private:
    struct Track;
    Track* Find(uint32_t startFrame) const;

    std::optional<verify::DiscToc> toc_;
    std::optional<verify::DbarResponse> response_;
    bool rereading_ = false;
    std::vector<std::unique_ptr<Track>> tracks_;
};
