// cddb-dump: parses one disc record file through the library's C interface and prints every
// field its getters give, one per line, in a form stable enough to compare in tests.
#include "Veltracache.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace
{

constexpr int kExitParsed = 0;
constexpr int kExitParseFailed = 1;
constexpr int kExitUsage = 2;

void Usage(FILE* to)
{
    std::fputs("Usage: cddb-dump [--no-checks] [--no-year-genre] FILE\n"
               "Parses the disc record in FILE (CDDB database text, up to its first NUL byte)\n"
               "and prints its fields. Exit status 0 when it parses, 1 when it does not, 2 on\n"
               "other errors.\n"
               "\n"
               "  --no-checks      option 100 = 0: no track-title and disc-length checks\n"
               "  --no-year-genre  option 101 = 0: DYEAR and DGENRE lines fail the parse\n"
               "  --help           show this text\n"
               "  --version        show the version\n",
               to);
}

// Quoted; quote, backslash and control bytes escaped. Other bytes pass unchanged, as the
// library does no code-page conversion either.
std::string Quoted(std::string_view text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// The whole file, or nothing when it cannot be read (a folder, say).
std::optional<std::string> ReadWhole(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return std::nullopt;
    try {
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    } catch (const std::exception&) { // the stream buffer throws on a read error
        return std::nullopt;
    }
}

// The getter's text, or "none" when it gives nothing.
std::string Field(int32_t got, const std::vector<char>& buffer)
{
    return got != 0 ? Quoted(buffer.data()) : "none";
}

} // namespace

int main(int argc, char** argv)
{
    bool checks = true;
    bool yearGenre = true;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return kExitParsed;
        } else if (arg == "--version") {
            std::puts("cddb-dump (VeltraCDRip) " VELTRA_VERSION);
            return kExitParsed;
        } else if (arg == "--no-checks")
            checks = false;
        else if (arg == "--no-year-genre")
            yearGenre = false;
        else if (path == nullptr && !arg.starts_with("-"))
            path = argv[i];
        else {
            Usage(stderr);
            return kExitUsage;
        }
    }
    if (path == nullptr) {
        Usage(stderr);
        return kExitUsage;
    }

    const std::optional<std::string> text = ReadWhole(path);
    if (!text) {
        std::fprintf(stderr, "cddb-dump: cannot read %s\n", path);
        return kExitUsage;
    }

    CddbEntry* entry = cddbNewEntry(text->c_str());
    if (entry == nullptr) {
        std::fputs("cddb-dump: out of memory\n", stderr);
        return kExitUsage;
    }
    cddbSetOption(entry, CDDB_OPTION_CHECKS, checks ? 1 : 0);
    cddbSetOption(entry, CDDB_OPTION_YEAR_GENRE, yearGenre ? 1 : 0);
    const bool parsed = cddbParseEntry(entry) != 0;

    // No field can be longer than the whole record.
    const auto size = static_cast<int32_t>(std::min<size_t>(text->size() + 1, INT32_MAX));
    std::vector<char> buffer(static_cast<size_t>(size), '\0');
    std::printf("parse: %s\n", parsed ? "ok" : "failed");
    int32_t got = cddbGetArtist(entry, buffer.data(), size);
    std::printf("artist: %s\n", Field(got, buffer).c_str());
    got = cddbGetTitle(entry, buffer.data(), size);
    std::printf("title: %s\n", Field(got, buffer).c_str());
    std::printf("year: %d\n", static_cast<int>(cddbGetDYear(entry)));
    got = cddbGetDGenre(entry, buffer.data(), size);
    std::printf("genre: %s\n", Field(got, buffer).c_str());
    std::printf("revision: %d\n", static_cast<int>(cddbGetEntryVersion(entry)));
    std::printf("tracks: %d\n", static_cast<int>(cddbGetNumTracks(entry)));
    for (int32_t track = 0; track < CDDB_MAX_TRACKS; ++track) {
        if (cddbGetTrackTitle(entry, track, buffer.data(), size) != 0)
            std::printf("track %d: %s\n", static_cast<int>(track), Quoted(buffer.data()).c_str());
    }
    cddbFreeEntry(entry);
    return parsed ? kExitParsed : kExitParseFailed;
}
