#include "DiscLookup.h"

#include "Gnudb.h"

#include "app/net/HttpClient.h"

namespace lookup
{

namespace
{

std::string WithoutTrailingSlash(std::string url)
{
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    return url;
}

void Append(SourceResult& to, SourceResult&& from)
{
    to.messages.insert(to.messages.end(), from.messages.begin(), from.messages.end());
    for (auto& r : from.releases)
        to.releases.push_back(std::move(r));
}

} // namespace

SourceResult LookUpDisc(const DiscQuery& disc, const LookupSettings& settings,
                        const std::atomic<bool>* cancel, net::RateLimiter* limiter,
                        const DiscMetadata* cdText)
{
    net::HttpOptions options;
    options.timeoutSeconds = settings.timeoutSeconds;
    options.cancel = cancel;
    net::HttpClient http(options, limiter);
    SourceResult result;
    if (disc.offsets.empty()) {
        result.messages.push_back("lookup: the disc has no audio tracks");
        return result;
    }
    if (!settings.musicBrainzUrl.empty()) {
        Append(result,
               LookUpMusicBrainz(http, WithoutTrailingSlash(settings.musicBrainzUrl), disc));
        if (!result.releases.empty()) return result;
    }
    if (cancel && cancel->load()) return result;
    if (!settings.gnudbUrl.empty()) {
        Append(result, LookUpGnudb(http, settings.gnudbUrl, disc));
        if (!result.releases.empty()) return result;
    }
    if (cdText) {
        result.messages.push_back("lookup: using the disc's CD-Text");
        result.releases.push_back(*cdText);
    }
    return result;
}

} // namespace lookup
