#include "CoverArt.h"

#include "app/net/HttpClient.h"

namespace lookup
{

CoverResult FetchFrontCover(const DiscMetadata& disc, const LookupSettings& settings)
{
    CoverResult result;
    if (disc.musicBrainzReleaseId.empty() || settings.coverArtUrl.empty()) {
        result.error = "the release is not from MusicBrainz";
        return result;
    }
    net::HttpOptions http;
    http.timeoutSeconds = settings.timeoutSeconds;
    std::string base = settings.coverArtUrl;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    const net::HttpResponse r = net::HttpClient(http).Get(
        base + "/release/" + net::HttpClient::Escape(disc.musicBrainzReleaseId) + "/front");
    if (r.ok() && r.body.size() > 3 && r.body.compare(0, 3, "\xFF\xD8\xFF") == 0)
        result.jpeg = r.body;
    else
        result.error = r.ok() ? "the reply is not a JPEG picture" : r.error;
    return result;
}

} // namespace lookup
