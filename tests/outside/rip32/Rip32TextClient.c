/* The disc's CD-Text, ISRCs and MCN as a C program reads them through libVeltrarip32.so alone:
 * a cue sheet with non-ASCII texts, a text cut to a small buffer, codes present and absent. */
#define _POSIX_C_SOURCE 200809L
#include "Veltrarip32.h"
#include "support/CCheck.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static CDHANDLE OpenImage(const char* cue)
{
    CDDriveList list;
    CDOpenRequest request;
    CDTocRecord toc;
    CDHANDLE handle;
    setenv("VELTRARIP32_IMAGES", cue, 1);
    memset(&list, 0, sizeof list);
    list.capacity = CD_MAX_DRIVES;
    GetCDList(&list);
    memset(&request, 0, sizeof request);
    request.recordSize = sizeof request;
    request.one = 1;
    memcpy(request.address, list.drives[0].address, 3);
    request.overlapFrames = 1;
    request.checkFrames = 3;
    handle = GetCDHandle(&request);
    CHECK(handle != 0 && ReadTOC(handle, &toc) == CD_STATUS_OK);
    return handle;
}

static void WriteFile(const char* path, const char* text, size_t size)
{
    FILE* f = fopen(path, "wb");
    fwrite(text, 1, size, f);
    fclose(f);
}

int main(void)
{
    char folder[] = "/tmp/rip32-text-XXXXXX";
    char cue[64], bin[64], text[64], isrc[CD_ISRC_BYTES], mcn[CD_MCN_BYTES];
    static char zeros[2 * CD_FRAME_BYTES];
    const char* sheet = "CATALOG 0724384260925\n"
                        "TITLE \"Caf\xC3\xA9 \xD0\x90\xD0\xBB\xD1\x8C\xD0\xB1\xD0\xBE\xD0\xBC\"\n"
                        "PERFORMER \"Band\"\n"
                        "FILE \"disc.bin\" BINARY\n"
                        "  TRACK 01 AUDIO\n"
                        "    TITLE \"\xD0\xA2\xD1\x80\xD0\xB5\xD0\xBA\"\n"
                        "    SONGWRITER \"Writer\"\n"
                        "    ISRC US-SM1-23-45678\n"
                        "    INDEX 01 00:00:00\n"
                        "  TRACK 02 AUDIO\n"
                        "    INDEX 01 00:00:01\n";
    CDHANDLE handle;

    if (!mkdtemp(folder)) return 2;
    snprintf(cue, sizeof cue, "%s/disc.cue", folder);
    snprintf(bin, sizeof bin, "%s/disc.bin", folder);
    WriteFile(bin, zeros, sizeof zeros);
    WriteFile(cue, sheet, strlen(sheet));
    handle = OpenImage(cue);

    /* The album's title: its length first, then the text. */
    CHECK(GetCDText(handle, 0, CD_TEXT_TITLE, NULL, 0) == 18);
    CHECK(GetCDText(handle, 0, CD_TEXT_TITLE, text, sizeof text) == 18);
    CHECK(strcmp(text, "Caf\xC3\xA9 \xD0\x90\xD0\xBB\xD1\x8C\xD0\xB1\xD0\xBE\xD0\xBC") == 0);
    /* Cut at a character boundary: 4 bytes of room leave "Caf", not half an "é". */
    CHECK(GetCDText(handle, 0, CD_TEXT_TITLE, text, 5) == 18 && strcmp(text, "Caf") == 0);
    CHECK(GetCDText(handle, 0, CD_TEXT_PERFORMER, text, sizeof text) == 4 &&
          strcmp(text, "Band") == 0);
    CHECK(GetCDText(handle, 1, CD_TEXT_TITLE, text, sizeof text) == 8);
    CHECK(GetCDText(handle, 1, CD_TEXT_SONGWRITER, text, sizeof text) == 6 &&
          strcmp(text, "Writer") == 0);
    /* No such text, field, track or handle: 0 and an empty text. */
    CHECK(GetCDText(handle, 1, CD_TEXT_PERFORMER, text, sizeof text) == 0 && text[0] == 0);
    CHECK(GetCDText(handle, 2, CD_TEXT_TITLE, text, sizeof text) == 0);
    CHECK(GetCDText(handle, 3, CD_TEXT_TITLE, text, sizeof text) == 0);
    CHECK(GetCDText(handle, 0, 7, text, sizeof text) == 0);
    CHECK(GetCDText(0, 0, CD_TEXT_TITLE, text, sizeof text) == 0);

    CHECK(GetTrackISRC(handle, 1, isrc) == 1 && strcmp(isrc, "USSM12345678") == 0);
    CHECK(GetTrackISRC(handle, 2, isrc) == 0 && isrc[0] == 0);
    CHECK(GetTrackISRC(handle, 1, NULL) == 0);
    CHECK(GetDiscMCN(handle, mcn) == 1 && strcmp(mcn, "0724384260925") == 0);
    CHECK(GetDiscMCN(0, mcn) == 0 && mcn[0] == 0);
    CHECK(CloseCDHandle(handle) == 1);

    /* A disc without any: nothing, and the older exports unchanged. */
    WriteFile(cue, "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n", 62);
    handle = OpenImage(cue);
    CHECK(GetCDText(handle, 0, CD_TEXT_TITLE, text, sizeof text) == 0);
    CHECK(GetTrackISRC(handle, 1, isrc) == 0);
    CHECK(GetDiscMCN(handle, mcn) == 0);
    CHECK(CloseCDHandle(handle) == 1);

    unlink(cue);
    unlink(bin);
    rmdir(folder);
    if (failures == 0) printf("CD-Text, ISRC and MCN read from C: OK\n");
    return failures == 0 ? 0 : 1;
}
