// AccurateRip online: the disc's response fetched from the database through the HTTP client,
// checked to be a whole response for this disc, and kept in the user's cache folder so a disc
// looked up once verifies offline.
#pragma once

#include "DbarResponse.h"
#include "DiscIds.h"

#include <atomic>
#include <string>

namespace net
{
class RateLimiter;
}

namespace verify
{

constexpr const char kDefaultAccurateRipUrl[] = "http://www.accuraterip.com/accuraterip";

struct ArLookupSettings {
    std::string baseUrl = kDefaultAccurateRipUrl; // AccurateRipUrl in [Lookup]
    int timeoutSeconds = 10;                      // TimeoutSeconds in [Lookup]
    std::string cacheFolder;                      // empty: $XDG_CACHE_HOME/veltracdrip/accuraterip
};

enum class ArLookupStatus {
    Found,         // response holds the disc's blocks
    NotInDatabase, // the database answered 404
    Refused,       // an answer came that is not a whole response for this disc
    Unavailable,   // no answer: no network, time-out, server error
};

struct ArLookupResult {
    ArLookupStatus status = ArLookupStatus::Unavailable;
    DbarResponse response;
    bool fromCache = false;
    bool cacheWritten = false;
    std::string url;
    std::string message; // one line for the user
    bool found() const { return status == ArLookupStatus::Found; }
};

// base + "/" + the database's path of the disc ("x/y/z/dBAR-….bin").
std::string AccurateRipUrl(const std::string& base, const AccurateRipDiscId& disc);

// The cached response first (when it is whole and for the disc), else the database. A cache
// that cannot be written only costs the offline copy.
ArLookupResult LookUpAccurateRip(const AccurateRipDiscId& disc, const ArLookupSettings& settings,
                                 const std::atomic<bool>* cancel = nullptr,
                                 net::RateLimiter* limiter = nullptr);

} // namespace verify
