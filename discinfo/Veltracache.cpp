// The twelve cddb exports: argument checks, the getters' copy rules, and the boundary that
// keeps every C++ exception inside the library.
//
// No load-time code: the thread notifications a Windows build switches off at load do not
// exist for a shared object here.
#include "Veltracache.h"
#include "BoundaryGuard.h"
#include "CddbEntry.h"
#include "NumberScan.h"

#include <algorithm>
#include <cstring>

using boundary::Guarded;

namespace
{

// Like strncpy with a forced NUL: the whole destination is written, the rest padded with NUL.
int32_t CopyPadded(const CddbText& text, char* destination, int32_t length)
{
    if (length < 1) return 0; // the forced NUL would land before the buffer
    const auto size = static_cast<std::size_t>(length);
    const std::size_t copied = std::min(text.length(), size);
    std::memcpy(destination, text.c_str(), copied);
    std::memset(destination + copied, 0, size - copied);
    if (text.length() >= size) destination[size - 1] = '\0';
    return 1;
}

// Like lstrcpyn: at most length - 1 characters and a NUL, nothing written after it.
int32_t CopyTerminated(const CddbText& text, char* destination, int32_t length)
{
    if (length < 1) return 0;
    const std::size_t copied = std::min(text.length(), static_cast<std::size_t>(length) - 1);
    std::memcpy(destination, text.c_str(), copied);
    destination[copied] = '\0';
    return 1;
}

int32_t CopyIfAny(const CddbText* text, char* destination, int32_t length)
{
    if (text == nullptr || destination == nullptr) return 0;
    return CopyPadded(*text, destination, length);
}

} // namespace

extern "C" {

CDDB_API CddbEntry* cddbNewEntry(const char* text)
{
    return Guarded<CddbEntry*>(
        nullptr, [&] { return text != nullptr ? new CddbEntry(text) : new CddbEntry(); });
}

CDDB_API void cddbFreeEntry(CddbEntry* entry)
{
    delete entry;
}

CDDB_API int32_t cddbSetEntry(CddbEntry* entry, const char* text)
{
    if (entry == nullptr) return 0;
    if (text == nullptr) return 1;
    return Guarded(0, [&] {
        entry->setText(text); // when this throws, the old text stays
        return 1;
    });
}

CDDB_API int32_t cddbSetOption(CddbEntry* entry, int32_t option, int32_t value)
{
    if (entry == nullptr) return 0;
    entry->setOption(option, value);
    return 1;
}

CDDB_API int32_t cddbParseEntry(CddbEntry* entry)
{
    if (entry == nullptr) return 0;
    // Out of memory is a failed parse; the entry still owns all it made.
    return Guarded(0, [&] { return entry->parse() ? 1 : 0; });
}

CDDB_API int32_t cddbGetArtist(const CddbEntry* entry, char* destination, int32_t length)
{
    if (entry == nullptr) return 0;
    return CopyIfAny(entry->artist(), destination, length);
}

CDDB_API int32_t cddbGetTitle(const CddbEntry* entry, char* destination, int32_t length)
{
    if (entry == nullptr) return 0;
    return CopyIfAny(entry->title(), destination, length);
}

CDDB_API int32_t cddbGetTrackTitle(const CddbEntry* entry, int32_t track, char* destination,
                                   int32_t length)
{
    if (entry == nullptr) return 0;
    const CddbTrack* record = entry->track(track);
    if (record == nullptr) return 0;
    return CopyIfAny(&record->title, destination, length);
}

CDDB_API int32_t cddbGetNumTracks(const CddbEntry* entry)
{
    return entry != nullptr ? entry->trackCount() : 0;
}

CDDB_API int32_t cddbGetEntryVersion(const CddbEntry* entry)
{
    return entry != nullptr ? entry->revision() : 0;
}

CDDB_API int32_t cddbGetDYear(const CddbEntry* entry)
{
    if (entry == nullptr || entry->dyear() == nullptr) return 0;
    const Scanned<int32_t> year = ScanDecimal(entry->dyear()->view());
    return year.ok() ? year.value : 0;
}

CDDB_API int32_t cddbGetDGenre(const CddbEntry* entry, char* destination, int32_t length)
{
    if (entry == nullptr || destination == nullptr || entry->dgenre() == nullptr) return 0;
    return CopyTerminated(*entry->dgenre(), destination, length);
}

} // extern "C"
