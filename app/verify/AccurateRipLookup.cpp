#include "AccurateRipLookup.h"

#include "app/net/CacheFolder.h"
#include "app/net/HttpClient.h"

namespace verify
{

namespace
{

bool Parse(const std::string& bytes, const AccurateRipDiscId& disc, DbarResponse& out,
           std::string& error)
{
    if (!ParseDbar(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out, error))
        return false;
    if (!ResponseIsFor(out, disc)) {
        error = "the answer is the response for " + out.blocks.front().disc.Name() +
                ", not for this disc";
        return false;
    }
    return true;
}

} // namespace

std::string AccurateRipUrl(const std::string& base, const AccurateRipDiscId& disc)
{
    std::string url = base;
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    return url + "/" + disc.Path();
}

ArLookupResult LookUpAccurateRip(const AccurateRipDiscId& disc, const ArLookupSettings& settings,
                                 const std::atomic<bool>* cancel, net::RateLimiter* limiter)
{
    ArLookupResult result;
    result.url = AccurateRipUrl(settings.baseUrl, disc);
    const std::string folder =
        settings.cacheFolder.empty() ? net::CacheFolder("accuraterip") : settings.cacheFolder;
    const std::string cachePath = folder + "/" + disc.Name() + ".bin";

    // A damaged cache file is ignored and replaced by a fresh answer.
    if (const auto cached = net::ReadCached(cachePath)) {
        std::string error;
        if (Parse(*cached, disc, result.response, error)) {
            result.status = ArLookupStatus::Found;
            result.fromCache = true;
            result.message = "found in the cache (" + cachePath + ")";
            return result;
        }
        result.response = {};
    }

    net::HttpOptions options;
    options.timeoutSeconds = settings.timeoutSeconds;
    options.maxBodyBytes = kMaxDbarBytes;
    options.cancel = cancel;
    const net::HttpResponse reply = net::HttpClient(options, limiter).Get(result.url);
    if (reply.status == net::HttpStatus::NotFound) {
        result.status = ArLookupStatus::NotInDatabase;
        result.message = "not in database";
        return result;
    }
    if (!reply.ok()) {
        result.status = ArLookupStatus::Unavailable;
        result.message = "no answer from " + result.url + ": " + reply.error;
        return result;
    }
    std::string error;
    if (!Parse(reply.body, disc, result.response, error)) {
        result.response = {};
        result.status = ArLookupStatus::Refused;
        result.message = "the answer from " + result.url + " was refused: " + error;
        return result;
    }
    result.status = ArLookupStatus::Found;
    result.cacheWritten = net::WriteCached(cachePath, reply.body);
    result.message = "found in the database";
    if (!result.cacheWritten) result.message += " (not cached: " + folder + " cannot be written)";
    return result;
}

} // namespace verify
