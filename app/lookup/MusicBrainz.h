// Disc metadata from the MusicBrainz web service: the disc id first, a fuzzy look-up by the
// table of contents when the id is unknown; one record per matching release.
#pragma once

#include "DiscMetadata.h"

#include "app/net/HttpClient.h"

#include <string>
#include <vector>

namespace lookup
{

struct SourceResult {
    std::vector<DiscMetadata> releases;
    std::vector<std::string> messages; // one line each, for the user
};

// The records of a /ws/2/discid reply for the queried disc: per release, the medium carrying
// the disc id, else (fuzzy replies) the first medium with as many tracks as the disc. Replies
// that are not JSON, or lack fields, give fewer records and a message, never an exception.
SourceResult ParseMusicBrainzReply(const std::string& json, const DiscQuery& disc);

// "<base>/ws/2/discid/<id>?inc=...&fmt=json" and the fuzzy "<base>/ws/2/discid/-?toc=..." form.
std::string MusicBrainzDiscUrl(const std::string& base, const DiscQuery& disc);
std::string MusicBrainzTocUrl(const std::string& base, const DiscQuery& disc);

SourceResult LookUpMusicBrainz(net::HttpClient& http, const std::string& base,
                               const DiscQuery& disc);

} // namespace lookup
