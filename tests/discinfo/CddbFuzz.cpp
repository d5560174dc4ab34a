// Fuzz target: arbitrary records through cddbParseEntry and every getter. Byte 0 picks the
// options and how the text gets in, byte 1 the destination length (signed, so lengths below 1
// and small odd ones come up often); the rest is the record text up to its first NUL.
#include "Veltracache.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

// A copy getter's promise: refused below length 1, else NUL-terminated within the length.
void CheckCopy(int32_t result, const std::vector<char>& destination, int32_t length)
{
    if (result != 0 && result != 1) std::abort();
    if (result == 1 && (length < 1 || !std::memchr(destination.data(), 0, destination.size())))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    const uint8_t flags = data[0];
    const int32_t length = static_cast<int8_t>(data[1]);
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    CddbEntry* entry = cddbNewEntry((flags & 1) ? text.c_str() : nullptr);
    if (entry == nullptr) return 0;
    if (!(flags & 1) && cddbSetEntry(entry, text.c_str()) != 1) std::abort();
    cddbSetOption(entry, CDDB_OPTION_CHECKS, (flags >> 1) & 1);
    cddbSetOption(entry, CDDB_OPTION_YEAR_GENRE, (flags >> 2) & 1);
    cddbSetOption(entry, flags, 0);
    const int32_t parsed = cddbParseEntry(entry);
    if (flags & 8) cddbParseEntry(entry); // a second parse on what the first one left

    // Exactly length bytes on the heap, so a write past them is caught.
    std::vector<char> destination(static_cast<size_t>(std::max(length, 1)), 'x');
    const int32_t artist = cddbGetArtist(entry, destination.data(), length);
    CheckCopy(artist, destination, length);
    if (parsed == 1 && length >= 1 && artist != 1) std::abort();
    CheckCopy(cddbGetTitle(entry, destination.data(), length), destination, length);
    CheckCopy(cddbGetDGenre(entry, destination.data(), length), destination, length);
    for (int32_t track = -2; track <= CDDB_MAX_TRACKS + 1; ++track)
        CheckCopy(cddbGetTrackTitle(entry, track, destination.data(), length), destination, length);
    const int32_t tracks = cddbGetNumTracks(entry);
    if (tracks < 0 || tracks > CDDB_MAX_TRACKS) std::abort();
    cddbGetDYear(entry);
    cddbGetEntryVersion(entry);
    cddbFreeEntry(entry);
    return 0;
}
