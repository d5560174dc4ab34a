// Tags written into a closed output file with TagLib: ID3v2.4 in MP3 (the encoder library's
// ID3v1.1 tag stays exactly as it is), Vorbis comments in Ogg Vorbis, FLAC and Opus.
#pragma once

#include "app/lookup/DiscMetadata.h"

#include <map>
#include <string>

namespace tags
{

// Vorbis comment names and values; a missing or empty value is not written.
using TagValues = std::map<std::string, std::string>;

// TITLE, ARTIST, ALBUM, ALBUMARTIST, TRACKNUMBER, TRACKTOTAL, DISCNUMBER, DISCTOTAL, DATE, GENRE,
// COMPOSER, ISRC, BARCODE and the MusicBrainz ids of one track of the disc (tracks counted from
// first).
TagValues TrackTagValues(const lookup::DiscMetadata& disc, int trackNumber, int firstTrack);

enum class TagResult {
    Written,
    NotTaggable, // a format without tags of this kind (WAV, raw)
    Failed,
};

// The front cover to embed: JPEG or PNG bytes and their MIME type; empty for none.
struct Cover {
    std::string mimeType;
    std::string data;
};

TagResult WriteTags(const std::string& path, const TagValues& values, const Cover& cover,
                    std::string& error);

} // namespace tags
