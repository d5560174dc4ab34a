/* An outside caller of the CD-access library, in C, linked to nothing but libVeltrarip32.so:
 * it writes a small disc image, names it in VELTRARIP32_IMAGES, and lists, opens, reads the
 * table of contents of and reads frames from it. */
#define _POSIX_C_SOURCE 200809L
#include "Veltrarip32.h"
#include "support/CCheck.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int main(void)
{
    char folder[] = "/tmp/rip32-client-XXXXXX";
    char cue[64], bin[64];
    unsigned char frame[CD_FRAME_BYTES];
    FILE* f;
    int i;
    CDDriveList list;
    CDOpenRequest request;
    CDTocRecord toc;
    CDHANDLE handle;
    unsigned char* memory;
    CDSectorHeader* header;
    CDDriveInquiry inquiry;

    if (!mkdtemp(folder)) return 2;
    snprintf(cue, sizeof cue, "%s/disc.cue", folder);
    snprintf(bin, sizeof bin, "%s/disc.bin", folder);
    /* Two tracks of 40 and 35 frames; every byte of frame n is n. */
    f = fopen(bin, "wb");
    for (i = 0; i < 75; ++i) {
        memset(frame, i, sizeof frame);
        fwrite(frame, 1, sizeof frame, f);
    }
    fclose(f);
    f = fopen(cue, "w");
    fputs("FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
          "  TRACK 02 AUDIO\n    INDEX 01 00:00:40\n",
          f);
    fclose(f);
    setenv("VELTRARIP32_IMAGES", cue, 1);

    memset(&list, 0, sizeof list);
    list.capacity = CD_MAX_DRIVES;
    GetCDList(&list);
    CHECK(list.found >= 1);

    memset(&request, 0, sizeof request);
    request.recordSize = sizeof request;
    request.one = 1;
    memcpy(request.address, list.drives[0].address, 3);
    request.overlapFrames = 1;
    request.checkFrames = 3;
    handle = GetCDHandle(&request);
    CHECK(handle != 0);

    memset(&toc, 0, sizeof toc);
    CHECK(ModifyCDParms(handle, CD_PARM_TOC_ADDRESS_FORM, 0) == 1);
    CHECK(ReadTOC(handle, &toc) == CD_STATUS_OK);
    CHECK(toc.firstTrack == 1 && toc.lastTrack == 2);
    CHECK(toc.descriptors[1].address[3] == 40);
    CHECK(toc.descriptors[2].trackNumber == CD_TOC_LEADOUT && toc.descriptors[2].address[3] == 75);

    memory = calloc(1, sizeof(CDSectorHeader) + 27 * CD_FRAME_BYTES);
    header = (CDSectorHeader*)memory;
    header->bufferLength = 27 * CD_FRAME_BYTES;
    header->startFrame = 30;
    header->frameCount = 27;
    CHECK(ReadCDAudioLBA(handle, header) == CD_STATUS_OK);
    CHECK(header->bytesReturned == 27u * CD_FRAME_BYTES);
    CHECK(CD_SECTOR_DATA(header)[header->dataOffset] == 30);
    CHECK(CD_SECTOR_DATA(header)[header->dataOffset + 26 * CD_FRAME_BYTES] == 56);
    header->startFrame = 70; /* runs past the lead-out */
    CHECK(ReadCDAudioLBA(handle, header) != CD_STATUS_OK);
    CHECK(ReadTOC(0, &toc) != CD_STATUS_OK);
    {
        static uint8_t c2[27 * CD_C2_BYTES];
        header->startFrame = 30;
        CHECK(ReadCDAudioLBAC2(handle, header, c2, sizeof c2) == CD_STATUS_OK);
        CHECK(CD_SECTOR_DATA(header)[header->dataOffset] == 30 && c2[0] == 0);
    }
    CHECK(GetCDDriveInquiry(handle, &inquiry) == 0 && inquiry.vendor[0] == 0); /* no drive line */
    CHECK(CloseCDHandle(handle) == 1);

    free(memory);
    unlink(cue);
    unlink(bin);
    rmdir(folder);
    if (failures == 0) printf("CD-access library used from C: OK\n");
    return failures == 0 ? 0 : 1;
}
