#include "Gnudb.h"

#include "Utf8Text.h"

#include "Veltracache.h"
#include "app/net/CacheFolder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>

#ifndef VELTRA_VERSION
#define VELTRA_VERSION "0"
#endif

namespace lookup
{

namespace
{

// Records are read at most this many from one query: each read is one more request.
constexpr size_t kMaxReads = 3;
// The longest text a getter copies: CDDB values are joined from lines of 256 characters.
constexpr int32_t kFieldBytes = 8192;

std::vector<std::string> Lines(const std::string& body)
{
    std::vector<std::string> lines;
    std::istringstream in(body);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool IsHexId(const std::string& id)
{
    return id.size() == 8 && std::all_of(id.begin(), id.end(), [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c));
           });
}

std::string HexId(uint32_t id)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", id);
    return text;
}

bool ParseMatch(const std::string& line, CddbMatch& match)
{
    std::istringstream in(line);
    in >> match.category >> match.discId;
    std::getline(in >> std::ws, match.title);
    return net::IsSafeCacheName(match.category) && IsHexId(match.discId);
}

struct EntryDeleter {
    void operator()(CddbEntry* e) const { cddbFreeEntry(e); }
};

using Getter = int32_t (*)(const CddbEntry*, char*, int32_t);

std::string Get(const CddbEntry* entry, Getter getter)
{
    std::vector<char> buffer(kFieldBytes, '\0');
    if (!getter(entry, buffer.data(), kFieldBytes)) return {};
    return buffer.data();
}

std::string Trim(const std::string& s)
{
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

bool IsVarious(const std::string& artist)
{
    return artist == "Various" || artist == "Various Artists" || artist == "Various artists";
}

} // namespace

std::vector<CddbMatch> ParseCddbQueryReply(const std::string& body)
{
    std::vector<CddbMatch> matches;
    const std::vector<std::string> lines = Lines(body);
    if (lines.empty()) return matches;
    const std::string& status = lines[0];
    CddbMatch match;
    if (status.rfind("200 ", 0) == 0) {
        if (ParseMatch(status.substr(4), match)) matches.push_back(match);
    } else if (status.rfind("210", 0) == 0 || status.rfind("211", 0) == 0) {
        for (size_t i = 1; i < lines.size() && lines[i] != "."; ++i)
            if (ParseMatch(lines[i], match)) matches.push_back(match);
    }
    return matches;
}

std::string CddbRecordOfReadReply(const std::string& body)
{
    const std::vector<std::string> lines = Lines(body);
    if (lines.empty() || lines[0].rfind("210 ", 0) != 0) return {};
    std::string record;
    for (size_t i = 1; i < lines.size() && lines[i] != "."; ++i) {
        // The protocol doubles a leading "." on a record line.
        record += (lines[i].rfind("..", 0) == 0 ? lines[i].substr(1) : lines[i]) + "\n";
    }
    return record;
}

bool ParseCddbRecord(const std::string& record, const DiscQuery& disc, DiscMetadata& out,
                     std::string& message)
{
    std::unique_ptr<CddbEntry, EntryDeleter> entry(cddbNewEntry(record.c_str()));
    if (!entry) {
        message = "gnudb: out of memory";
        return false;
    }
    cddbSetOption(entry.get(), CDDB_OPTION_CHECKS, 1);
    if (!cddbParseEntry(entry.get())) {
        message = "gnudb: the disc-information library refuses the record";
        return false;
    }
    const int32_t count = cddbGetNumTracks(entry.get());
    if (count != disc.TrackCount()) {
        message = "gnudb: the record has " + std::to_string(count) + " tracks, the disc " +
                  std::to_string(disc.TrackCount());
        return false;
    }
    // Level 6 promises UTF-8; older records still arrive in 8-bit encodings.
    const bool utf8 = IsValidUtf8(record);
    auto text = [utf8](const std::string& s) { return utf8 ? s : Latin1ToUtf8(s); };
    if (!utf8) message = "gnudb: the record is not UTF-8; read as Latin-1";

    DiscMetadata d;
    d.source = "gnudb";
    d.artist = text(Get(entry.get(), cddbGetArtist));
    d.title = text(Get(entry.get(), cddbGetTitle));
    if (const int32_t year = cddbGetDYear(entry.get()); year > 0 && year < 10000)
        d.year = std::to_string(year);
    std::vector<char> genre(kFieldBytes, '\0');
    if (cddbGetDGenre(entry.get(), genre.data(), kFieldBytes)) d.genre = text(genre.data());
    const bool various = IsVarious(d.artist);
    for (int32_t i = 0; i < count; ++i) {
        std::vector<char> title(kFieldBytes, '\0');
        cddbGetTrackTitle(entry.get(), i, title.data(), kFieldBytes);
        TrackMetadata track;
        track.title = text(title.data());
        track.artist = d.artist;
        // Compilations name each track "artist / title".
        if (const size_t sep = track.title.find(" / "); various && sep != std::string::npos) {
            track.artist = Trim(track.title.substr(0, sep));
            track.title = Trim(track.title.substr(sep + 3));
        }
        d.tracks.push_back(std::move(track));
    }
    out = std::move(d);
    return true;
}

std::string CddbQueryUrl(const std::string& cgi, const DiscQuery& disc)
{
    std::string cmd =
        "cddb+query+" + HexId(disc.cddbDiscId) + "+" + std::to_string(disc.TrackCount());
    for (uint32_t offset : disc.offsets)
        cmd += "+" + std::to_string(offset);
    cmd += "+" + std::to_string(disc.leadout / 75);
    return cgi + "?cmd=" + cmd +
           "&hello=veltracdrip+localhost+VeltraCDRip+" VELTRA_VERSION "&proto=6";
}

std::string CddbReadUrl(const std::string& cgi, const CddbMatch& match)
{
    return cgi + "?cmd=cddb+read+" + net::HttpClient::Escape(match.category) + "+" + match.discId +
           "&hello=veltracdrip+localhost+VeltraCDRip+" VELTRA_VERSION "&proto=6";
}

SourceResult LookUpGnudb(net::HttpClient& http, const std::string& cgi, const DiscQuery& disc)
{
    namespace fs = std::filesystem;
    SourceResult result;
    const std::string id = HexId(disc.cddbDiscId);
    const std::string cache = net::CacheFolder("cddb");

    auto take = [&](const std::string& record, const std::string& where) {
        DiscMetadata d;
        std::string message;
        const bool ok = ParseCddbRecord(record, disc, d, message);
        if (!message.empty()) result.messages.push_back(message + " (" + where + ")");
        if (ok) result.releases.push_back(std::move(d));
        return ok;
    };

    // A disc looked up once is known offline.
    std::error_code ec;
    std::vector<fs::path> cached;
    for (const auto& category : fs::directory_iterator(cache, ec))
        if (fs::is_regular_file(category.path() / id, ec)) cached.push_back(category.path() / id);
    std::sort(cached.begin(), cached.end());
    for (const fs::path& file : cached)
        if (auto record = net::ReadCached(file.string()))
            take(*record, "cached " + file.parent_path().filename().string());
    if (!result.releases.empty()) return result;

    net::HttpResponse r = http.Get(CddbQueryUrl(cgi, disc));
    if (!r.ok()) {
        result.messages.push_back("gnudb: " + r.error);
        return result;
    }
    const std::vector<CddbMatch> matches = ParseCddbQueryReply(r.body);
    if (matches.empty()) {
        const std::string status = Lines(r.body).empty() ? "" : Lines(r.body)[0];
        result.messages.push_back("gnudb: disc not found" +
                                  (status.empty() ? "" : " (" + status.substr(0, 80) + ")"));
        return result;
    }
    for (size_t i = 0; i < matches.size() && i < kMaxReads; ++i) {
        r = http.Get(CddbReadUrl(cgi, matches[i]));
        if (!r.ok()) {
            result.messages.push_back("gnudb: " + r.error);
            continue;
        }
        const std::string record = CddbRecordOfReadReply(r.body);
        if (record.empty()) {
            result.messages.push_back("gnudb: the reply to \"cddb read " + matches[i].category +
                                      "\" holds no record");
            continue;
        }
        if (take(record, matches[i].category) &&
            !net::WriteCached(cache + "/" + matches[i].category + "/" + matches[i].discId, record))
            result.messages.push_back("gnudb: cannot write the cache folder " + cache);
    }
    return result;
}

} // namespace lookup
