#include "MusicBrainz.h"

#include <nlohmann/json.hpp>

namespace lookup
{

namespace
{

using nlohmann::json;

const char kIncludes[] = "inc=recordings+artist-credits+release-groups+isrcs+labels&fmt=json";

// Missing keys, nulls and values of another type all read as empty.
std::string Str(const json& object, const char* key)
{
    if (!object.is_object()) return {};
    const auto it = object.find(key);
    return (it != object.end() && it->is_string()) ? it->get<std::string>() : std::string();
}

const json& Member(const json& object, const char* key)
{
    static const json none;
    if (!object.is_object()) return none;
    const auto it = object.find(key);
    return it != object.end() ? *it : none;
}

std::string Credit(const json& credits)
{
    std::string text;
    if (!credits.is_array()) return text;
    for (const json& c : credits)
        text += Str(c, "name") + Str(c, "joinphrase");
    return text;
}

std::string TopGenre(const json& genres)
{
    std::string best;
    long bestCount = -1;
    if (!genres.is_array()) return best;
    for (const json& g : genres) {
        const json& count = Member(g, "count");
        const long n = count.is_number_integer() ? count.get<long>() : 0;
        if (!Str(g, "name").empty() && n > bestCount) {
            best = Str(g, "name");
            bestCount = n;
        }
    }
    return best;
}

bool CarriesDisc(const json& medium, const std::string& discId)
{
    const json& discs = Member(medium, "discs");
    if (!discs.is_array() || discId.empty()) return false;
    for (const json& d : discs)
        if (Str(d, "id") == discId) return true;
    return false;
}

const json* ChooseMedium(const json& media, const DiscQuery& disc)
{
    if (!media.is_array()) return nullptr;
    for (const json& m : media)
        if (CarriesDisc(m, disc.musicBrainzDiscId)) return &m;
    for (const json& m : media) {
        const json& tracks = Member(m, "tracks");
        if (tracks.is_array() && static_cast<int>(tracks.size()) == disc.TrackCount()) return &m;
    }
    return nullptr;
}

DiscMetadata FromRelease(const json& release, const json& medium, const DiscQuery& disc)
{
    DiscMetadata d;
    d.source = "MusicBrainz";
    d.title = Str(release, "title");
    d.artist = Credit(Member(release, "artist-credit"));
    const std::string date = Str(release, "date");
    if (date.size() >= 4) d.year = date.substr(0, 4);
    d.genre = TopGenre(Member(release, "genres"));
    if (d.genre.empty()) d.genre = TopGenre(Member(Member(release, "release-group"), "genres"));
    d.musicBrainzReleaseId = Str(release, "id");
    d.musicBrainzReleaseGroupId = Str(Member(release, "release-group"), "id");
    if (CarriesDisc(medium, disc.musicBrainzDiscId)) d.musicBrainzDiscId = disc.musicBrainzDiscId;
    d.catalogue = Str(release, "barcode");
    d.country = Str(release, "country");
    const json& position = Member(medium, "position");
    if (position.is_number_integer()) d.discNumber = position.get<int>();
    const json& media = Member(release, "media");
    if (media.is_array()) d.discTotal = static_cast<int>(media.size());
    for (const json& t : Member(medium, "tracks")) {
        const json& recording = Member(t, "recording");
        TrackMetadata track;
        track.title = Str(t, "title");
        if (track.title.empty()) track.title = Str(recording, "title");
        track.artist = Credit(Member(t, "artist-credit"));
        if (track.artist.empty()) track.artist = Credit(Member(recording, "artist-credit"));
        if (track.artist.empty()) track.artist = d.artist;
        const json& isrcs = Member(recording, "isrcs");
        if (isrcs.is_array() && !isrcs.empty() && isrcs[0].is_string())
            track.isrc = isrcs[0].get<std::string>();
        track.musicBrainzRecordingId = Str(recording, "id");
        d.tracks.push_back(std::move(track));
    }
    return d;
}

} // namespace

SourceResult ParseMusicBrainzReply(const std::string& text, const DiscQuery& disc)
{
    SourceResult result;
    const json reply = json::parse(text, nullptr, false);
    if (reply.is_discarded() || !reply.is_object()) {
        result.messages.push_back("MusicBrainz: the reply is not JSON; ignored");
        return result;
    }
    const json& releases = Member(reply, "releases");
    if (!releases.is_array()) {
        result.messages.push_back("MusicBrainz: the reply lists no releases");
        return result;
    }
    size_t skipped = 0;
    for (const json& release : releases) {
        const json* medium = ChooseMedium(Member(release, "media"), disc);
        if (!medium || Str(release, "title").empty()) {
            ++skipped;
            continue;
        }
        DiscMetadata d = FromRelease(release, *medium, disc);
        if (static_cast<int>(d.tracks.size()) != disc.TrackCount()) {
            ++skipped;
            continue;
        }
        result.releases.push_back(std::move(d));
    }
    if (skipped)
        result.messages.push_back("MusicBrainz: " + std::to_string(skipped) +
                                  " release(s) without a medium matching this disc left out");
    return result;
}

std::string MusicBrainzDiscUrl(const std::string& base, const DiscQuery& disc)
{
    return base + "/ws/2/discid/" + net::HttpClient::Escape(disc.musicBrainzDiscId) + "?" +
           kIncludes;
}

std::string MusicBrainzTocUrl(const std::string& base, const DiscQuery& disc)
{
    std::string toc = std::to_string(disc.firstTrack) + "+" +
                      std::to_string(disc.firstTrack + disc.TrackCount() - 1) + "+" +
                      std::to_string(disc.leadout);
    for (uint32_t offset : disc.offsets)
        toc += "+" + std::to_string(offset);
    return base + "/ws/2/discid/-?toc=" + toc + "&" + kIncludes;
}

SourceResult LookUpMusicBrainz(net::HttpClient& http, const std::string& base,
                               const DiscQuery& disc)
{
    SourceResult result;
    net::HttpResponse r;
    if (!disc.musicBrainzDiscId.empty()) {
        r = http.Get(MusicBrainzDiscUrl(base, disc));
        if (r.ok()) {
            result = ParseMusicBrainzReply(r.body, disc);
            if (!result.releases.empty()) return result;
        } else if (r.status != net::HttpStatus::NotFound) {
            result.messages.push_back("MusicBrainz: " + r.error);
            return result;
        }
    }
    // The id is unknown (or its releases do not fit): ask for discs with a similar layout.
    r = http.Get(MusicBrainzTocUrl(base, disc));
    if (!r.ok()) {
        result.messages.push_back("MusicBrainz: " + (r.status == net::HttpStatus::NotFound
                                                         ? std::string("disc not found")
                                                         : r.error));
        return result;
    }
    SourceResult fuzzy = ParseMusicBrainzReply(r.body, disc);
    result.releases = std::move(fuzzy.releases);
    result.messages.insert(result.messages.end(), fuzzy.messages.begin(), fuzzy.messages.end());
    if (result.releases.empty()) result.messages.push_back("MusicBrainz: disc not found");
    return result;
}

} // namespace lookup
