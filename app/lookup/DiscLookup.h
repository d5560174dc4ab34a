// The whole look-up of a disc: MusicBrainz first, then gnudb, then the disc's CD-Text; the first
// source that knows the disc gives the candidates, every failure a line for the user.
#pragma once

#include "DiscMetadata.h"
#include "MusicBrainz.h"

#include <atomic>
#include <string>

namespace net
{
class RateLimiter;
}

namespace lookup
{

// The [Lookup] settings the look-ups use.
struct LookupSettings {
    std::string musicBrainzUrl = "https://musicbrainz.org";
    std::string gnudbUrl = "https://gnudb.gnudb.org/~cddb/cddb.cgi";
    std::string coverArtUrl = "https://coverartarchive.org";
    int timeoutSeconds = 10;
};

// An empty URL turns its source off; cdText (the disc's, when it has one) answers last.
SourceResult LookUpDisc(const DiscQuery& disc, const LookupSettings& settings,
                        const std::atomic<bool>* cancel = nullptr,
                        net::RateLimiter* limiter = nullptr, const DiscMetadata* cdText = nullptr);

} // namespace lookup
