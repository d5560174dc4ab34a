// The disc's own metadata: its CD-Text (album and per track), each track's ISRC and the disc's
// MCN, read once per disc from a drive through libcdio or from a cue sheet's lines and its
// CDTEXTFILE. Every text is UTF-8.
#pragma once

#include "CueSheet.h"

#include <cdio/cdio.h>
#include <cstdint>
#include <map>
#include <string>

namespace rip32
{

struct TrackText {
    std::string title;
    std::string performer;
    std::string songwriter;
    std::string isrc; // twelve letters and digits, or empty
};

struct DiscText {
    TrackText album; // its isrc stays empty
    std::string mcn; // thirteen digits, or empty
    std::map<int, TrackText> tracks;

    // The text of a field (CD_TEXT_TITLE, ...) of track 0 (the album) or a track; null for
    // none.
    const std::string* Field(uint32_t track, uint32_t field) const;
};

// From a drive or an image libcdio opened: its CD-Text, the sub-channel's ISRCs and MCN (the
// CD-Text's codes where the sub-channel has none).
DiscText DiscTextFromCdio(CdIo_t* cdio);

// From a cue sheet: its TITLE, PERFORMER, SONGWRITER, ISRC and CATALOG lines; the binary
// CD-Text of its CDTEXTFILE (named relative to `folder`) fills what the lines leave empty.
DiscText DiscTextFromCue(const CueSheet& sheet, const std::string& folder);

// The CD-Text of raw packs (18 bytes each, optionally after the 4-byte header a drive sends)
// merged into `text` where it is empty; false when the bytes hold no CD-Text libcdio reads.
bool MergeCdTextPacks(const std::string& bytes, DiscText& text);

// The longest prefix of at most maxBytes bytes that does not split a UTF-8 character.
size_t Utf8Cut(const std::string& text, size_t maxBytes);

} // namespace rip32
