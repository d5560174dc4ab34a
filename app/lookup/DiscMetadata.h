// What a lookup knows of a disc: one record for the album and one per track, whatever source
// (MusicBrainz, gnudb) filled it; the disc as the lookups see it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lookup
{

struct TrackMetadata {
    std::string title;
    std::string artist; // the album artist when the source names none for the track
    std::string isrc;
    std::string musicBrainzRecordingId;
    std::string composer; // the CD-Text's songwriter
};

struct DiscMetadata {
    std::string source; // "MusicBrainz", "gnudb", "CD-Text", shown to the user
    std::string title;
    std::string artist;
    std::string year; // four digits or empty
    std::string genre;
    int discNumber = 0; // 0: unknown
    int discTotal = 0;
    std::string musicBrainzReleaseId;
    std::string musicBrainzReleaseGroupId;
    std::string musicBrainzDiscId;
    std::string catalogue; // the release's barcode or the disc's MCN
    std::string country;
    std::vector<TrackMetadata> tracks; // the disc's audio tracks in order, from its first

    // The track with this number on a disc whose first track is first, or null.
    const TrackMetadata* Track(int number, int first) const
    {
        const int index = number - first;
        return (index >= 0 && index < static_cast<int>(tracks.size())) ? &tracks[index] : nullptr;
    }
};

// The disc as looked up: its ids and its table of contents in frames counted from the start of
// the lead-in (the first track of a plain disc at 150).
struct DiscQuery {
    std::string musicBrainzDiscId;
    uint32_t cddbDiscId = 0;
    int firstTrack = 1;
    std::vector<uint32_t> offsets; // one per track, first to last
    uint32_t leadout = 0;

    int TrackCount() const { return static_cast<int>(offsets.size()); }
};

} // namespace lookup
