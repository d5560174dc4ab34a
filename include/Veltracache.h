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
/* Frees an entry and all it owns; a null entry is ignored. */
CDDB_API void cddbFreeEntry(CddbEntry* entry);
/* Replaces the text to parse; parsed fields stay. 1 when replaced (a null text changes nothing
 * and also gives 1); 0 for a null entry or when memory runs out, the old text kept. */
CDDB_API int32_t cddbSetEntry(CddbEntry* entry, const char* text);
/* 1 when the entry took the value (an unknown option number is taken and ignored); 0 for a
 * null entry. */
CDDB_API int32_t cddbSetOption(CddbEntry* entry, int32_t option, int32_t value);
/* 1 when the whole text parsed (and passed the checks when CDDB_OPTION_CHECKS is set); 0 when
 * it did not, for a null entry, or when memory runs out (the fields parsed so far stay). */
CDDB_API int32_t cddbParseEntry(CddbEntry* entry);

/* The copy getters return 1 and fill destination, or 0 and leave it untouched: for a null
 * entry or destination, a length below 1, or a field the entry does not have.
 * Artist, title and track title copy like strncpy: all length bytes written, NUL-padded, the
 * last one forced to NUL. */
CDDB_API int32_t cddbGetArtist(const CddbEntry* entry, char* destination, int32_t length);
CDDB_API int32_t cddbGetTitle(const CddbEntry* entry, char* destination, int32_t length);
/* track: 0 to CDDB_MAX_TRACKS - 1. */
CDDB_API int32_t cddbGetTrackTitle(const CddbEntry* entry, int32_t track, char* destination,
                                   int32_t length);
/* The number of tracks the header listed; 0 for a null entry. */
CDDB_API int32_t cddbGetNumTracks(const CddbEntry* entry);
/* The record's revision number; 0 for a null entry or a record without one. */
CDDB_API int32_t cddbGetEntryVersion(const CddbEntry* entry);
/* The DYEAR value as a number; 0 for a null entry, no DYEAR line or a value that is no
 * decimal number. */
CDDB_API int32_t cddbGetDYear(const CddbEntry* entry);
/* The DGENRE text, at most length - 1 bytes and a NUL, nothing written after the NUL. */
CDDB_API int32_t cddbGetDGenre(const CddbEntry* entry, char* destination, int32_t length);

#ifdef __cplusplus
}
#endif

#endif
