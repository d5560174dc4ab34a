/* The cddb exports used from C: null arguments, options, the parse result and the getters'
 * copy rules, down to the bytes around the copied text. */
#include "Veltracache.h"
#include "support/CCheck.h"

#include <stdio.h>
#include <string.h>

#define HEADER "# Track frame offsets:\n#\t150\n#\t20000\n# Disc length: 600 seconds\n"

static const char* const kRecord = HEADER "# Revision: 7\nDISCID=0a000102\n"
                                          "DTITLE=Some Band / An Album\nDYEAR=1987\n"
                                          "DGENRE=Rock\nTTITLE0=First\nTTITLE1=Second\n";

static CddbEntry* parsed(const char* text)
{
    CddbEntry* entry = cddbNewEntry(text);
    CHECK(entry != NULL);
    CHECK(cddbParseEntry(entry) == 1);
    return entry;
}

static void test_null_arguments(void)
{
    char buffer[8];
    CddbEntry* entry = parsed(kRecord);
    CHECK(cddbSetEntry(NULL, "x") == 0);
    CHECK(cddbSetOption(NULL, CDDB_OPTION_CHECKS, 0) == 0);
    CHECK(cddbParseEntry(NULL) == 0);
    CHECK(cddbGetArtist(NULL, buffer, 8) == 0 && cddbGetArtist(entry, NULL, 8) == 0);
    CHECK(cddbGetTitle(NULL, buffer, 8) == 0 && cddbGetTitle(entry, NULL, 8) == 0);
    CHECK(cddbGetTrackTitle(NULL, 0, buffer, 8) == 0);
    CHECK(cddbGetTrackTitle(entry, 0, NULL, 8) == 0);
    CHECK(cddbGetDGenre(NULL, buffer, 8) == 0 && cddbGetDGenre(entry, NULL, 8) == 0);
    CHECK(cddbGetNumTracks(NULL) == 0 && cddbGetEntryVersion(NULL) == 0);
    CHECK(cddbGetDYear(NULL) == 0);
    cddbFreeEntry(NULL);
    cddbFreeEntry(entry);
}

static void test_options_and_parse(void)
{
    char buffer[8];
    CddbEntry* entry = cddbNewEntry(NULL);
    CHECK(cddbParseEntry(entry) == 0); /* empty text */
    CHECK(cddbGetArtist(entry, buffer, 8) == 0);
    CHECK(cddbSetEntry(entry, NULL) == 1);
    CHECK(cddbSetEntry(entry, kRecord) == 1);
    CHECK(cddbSetOption(entry, 102, 0) == 1); /* unknown: ignored */
    CHECK(cddbSetOption(entry, CDDB_OPTION_YEAR_GENRE, 0) == 1);
    CHECK(cddbParseEntry(entry) == 0);
    cddbFreeEntry(entry);

    entry = cddbNewEntry(kRecord);
    CHECK(cddbSetOption(entry, 102, 0) == 1);
    CHECK(cddbParseEntry(entry) == 1);
    CHECK(cddbGetNumTracks(entry) == 2);
    CHECK(cddbGetEntryVersion(entry) == 7);
    CHECK(cddbGetDYear(entry) == 1987);
    cddbFreeEntry(entry);

    entry = parsed(HEADER "# Revision: 1\nDISCID=1\nDTITLE=A\nDYEAR=about 1990\n"
                          "TTITLE0=a\nTTITLE1=b\n");
    CHECK(cddbGetDYear(entry) == 0);
    CHECK(cddbGetDGenre(entry, buffer, 8) == 0); /* no DGENRE line */
    cddbFreeEntry(entry);
}

static void test_copy_rules(void)
{
    char b[16];
    CddbEntry* entry = parsed(kRecord);

    memset(b, 'x', sizeof b);
    CHECK(cddbGetArtist(entry, b, 5) == 1 && memcmp(b, "Some\0x", 6) == 0);
    memset(b, 'x', sizeof b);
    CHECK(cddbGetArtist(entry, b, 12) == 1 && memcmp(b, "Some Band\0\0\0x", 13) == 0);
    memset(b, 'x', sizeof b);
    CHECK(cddbGetTitle(entry, b, 9) == 1 && memcmp(b, "An Album\0x", 10) == 0);
    memset(b, 'x', sizeof b);
    CHECK(cddbGetTitle(entry, b, 8) == 1 && memcmp(b, "An Albu\0x", 9) == 0);
    CHECK(cddbGetTitle(entry, b, 1) == 1 && memcmp(b, "\0n", 2) == 0);

    /* A length below 1 would put the NUL before the buffer: refused, nothing written. */
    memset(b, 'x', sizeof b);
    CHECK(cddbGetArtist(entry, b + 1, 0) == 0 && cddbGetTitle(entry, b + 1, -1) == 0);
    CHECK(cddbGetTrackTitle(entry, 0, b + 1, 0) == 0 && cddbGetDGenre(entry, b + 1, 0) == 0);
    CHECK(memcmp(b, "xxxxxxxxxxxxxxxx", 16) == 0);

    CHECK(cddbGetDGenre(entry, b, 5) == 1 && memcmp(b, "Rock\0x", 6) == 0);
    memset(b, 'x', sizeof b);
    CHECK(cddbGetDGenre(entry, b, 3) == 1 && memcmp(b, "Ro\0x", 4) == 0);
    CHECK(cddbGetDGenre(entry, b, 1) == 1 && b[0] == '\0');

    CHECK(cddbGetTrackTitle(entry, 1, b, 16) == 1 && strcmp(b, "Second") == 0);
    CHECK(cddbGetTrackTitle(entry, -1, b, 16) == 0 && cddbGetTrackTitle(entry, 100, b, 16) == 0);
    CHECK(cddbGetTrackTitle(entry, 2, b, 16) == 0); /* no offset, no record */
    cddbFreeEntry(entry);
}

int main(void)
{
    test_null_arguments();
    test_options_and_parse();
    test_copy_rules();
    if (failures != 0) fprintf(stderr, "%d checks failed\n", failures);
    return failures == 0 ? 0 : 1;
}
