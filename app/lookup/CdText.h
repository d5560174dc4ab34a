// The disc's own metadata through the CD-access library: its CD-Text, the look-up's last source
// (after MusicBrainz and gnudb), and its ISRCs and MCN, which go into the tags and the CUE sheet
// whatever source named the disc.
#pragma once

#include "DiscMetadata.h"

#include "Veltrarip32.h"

#include <map>
#include <optional>
#include <string>

namespace lookup
{

// The codes the disc itself carries.
struct DiscCodes {
    std::string mcn;                 // thirteen digits, or empty
    std::map<int, std::string> isrc; // by track number

    bool empty() const { return mcn.empty() && isrc.empty(); }
};

// The CD-Text of the disc in the drive as a record (source "CD-Text"): nothing when it names
// neither the album nor any of its audio tracks.
std::optional<DiscMetadata> ReadCdText(CDHANDLE drive, const DiscQuery& disc);

// The ISRCs of the disc's audio tracks and its MCN.
DiscCodes ReadDiscCodes(CDHANDLE drive, const DiscQuery& disc);

// The disc's own codes into a record, over the source's: they are the codes of this very disc.
void ApplyDiscCodes(DiscMetadata& record, const DiscCodes& codes, int firstTrack);

// A record holding nothing but the disc's codes, for a rip without a look-up.
DiscMetadata CodesOnly(const DiscCodes& codes, const DiscQuery& disc);

} // namespace lookup
