// The disc identifiers computed from the table of contents: the CDDB (freedb) disc id, the
// MusicBrainz disc id and the AccurateRip disc id, each with the data tracks of Enhanced and
// mixed-mode CDs counted the way its database counts them.
#pragma once

#include "DiscToc.h"

#include <cstdint>
#include <optional>
#include <string>

namespace verify
{

// Every track, data tracks included, and the disc's own lead-out.
uint32_t FreedbDiscId(const DiscToc& toc);

// The tracks up to the last audio track; an Enhanced CD ends at its audio (AudioLeadout), as a
// drive reading the first session reports it. Empty when the layout cannot be expressed.
std::string MusicBrainzDiscId(const DiscToc& toc);

struct AccurateRipDiscId {
    int audioTracks = 0;
    uint32_t id1 = 0;
    uint32_t id2 = 0;
    uint32_t freedb = 0;

    // "dBAR-NNN-XXXXXXXX-XXXXXXXX-XXXXXXXX"
    std::string Name() const;
    // Where the database keeps the response: "x/y/z/<Name()>.bin".
    std::string Path() const;
    bool operator==(const AccurateRipDiscId&) const = default;
};

// Audio tracks only, numbered from 1 in disc order, with the disc's own lead-out (behind an
// Enhanced CD's data track). nullopt for a disc without audio.
std::optional<AccurateRipDiscId> AccurateRipId(const DiscToc& toc);

// The track's position in a database response: its place in the TOC, counted from 0. A
// mixed-mode CD's data track keeps its slot, so the last audio track may have none.
int AccurateRipSlot(const DiscToc& toc, int trackNumber);

} // namespace verify
