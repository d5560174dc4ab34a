/* The disc-information library: one CDDB disc record per entry, parsed strictly and queried
 * through the twelve cddb exports. Texts are single-byte, passed through without conversion. */
#ifndef VELTRACACHE_H
#define VELTRACACHE_H

#include <stdint.h>

#if defined(VELTRACACHE_BUILD)
#define CDDB_API __attribute__((visibility("default")))
#else
#define CDDB_API
#endif

/* cddbSetOption numbers. Both are 1 in a new entry. */
#define CDDB_OPTION_CHECKS                                                                         \
    100                            /* non-zero: every track needs a title, the disc must outlast   \
                                      the last track's offset */
#define CDDB_OPTION_YEAR_GENRE 101 /* zero: a "DYEAR=" or "DGENRE=" line fails the parse */

#define CDDB_MAX_TRACKS 100 /* track numbers 0 to 99 */

#ifdef __cplusplus
class CddbEntry;
extern "C" {
#else
/* Opaque: made by cddbNewEntry, freed by cddbFreeEntry only. */
typedef struct CddbEntry CddbEntry;
#endif

/* A new entry holding a copy of text (or an empty 32768-byte text for a null one); null when
 * memory runs out. */
CDDB_API CddbEntry* cddbNewEntry(const char* text);
CDDB_API void cddbFreeEntry(CddbEntry* entry);
/* Replaces the text to parse; parsed fields stay. 0 for a null entry or when memory runs out. */
CDDB_API int32_t cddbSetEntry(CddbEntry* entry, const char* text);
CDDB_API int32_t cddbSetOption(CddbEntry* entry, int32_t option, int32_t value);
/* 1 when the whole text parsed (and passed the checks when CDDB_OPTION_CHECKS is set). */
CDDB_API int32_t cddbParseEntry(CddbEntry* entry);

/* The copy getters return 1 and fill destination (length bytes, length >= 1), or 0. */
CDDB_API int32_t cddbGetArtist(const CddbEntry* entry, char* destination, int32_t length);
CDDB_API int32_t cddbGetTitle(const CddbEntry* entry, char* destination, int32_t length);
CDDB_API int32_t cddbGetTrackTitle(const CddbEntry* entry, int32_t track, char* destination,
                                   int32_t length);
CDDB_API int32_t cddbGetNumTracks(const CddbEntry* entry);
CDDB_API int32_t cddbGetEntryVersion(const CddbEntry* entry);
CDDB_API int32_t cddbGetDYear(const CddbEntry* entry);
CDDB_API int32_t cddbGetDGenre(const CddbEntry* entry, char* destination, int32_t length);

#ifdef __cplusplus
}
#endif

#endif
