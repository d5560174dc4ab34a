/* The CD-access library: its seven drive exports, the disc-image refusal text, the drive
 * identification, the disc's CD-Text, ISRCs and MCN, and the byte-packed records that cross it.
 * Numbers are 32-bit little-endian unless a field says otherwise. */
#ifndef VELTRARIP32_H
#define VELTRARIP32_H

#include <stdint.h>

#include "CdAudio.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(VELTRARIP32_BUILD)
#define RIP32_API __attribute__((visibility("default")))
#else
#define RIP32_API
#endif

#define CD_MAX_DRIVES 8
#define CD_TOC_MAX_DESCRIPTORS 100
#define CD_TOC_LEADOUT 0xAA
#define CD_TOC_CONTROL_DATA 0x04 /* bit of the ADR/control byte: data track */

/* The CD-Text fields GetCDText reads. */
#define CD_TEXT_TITLE 0
#define CD_TEXT_PERFORMER 1
#define CD_TEXT_SONGWRITER 2
#define CD_ISRC_BYTES 13 /* twelve letters and digits and a NUL */
#define CD_MCN_BYTES 14  /* thirteen digits and a NUL */

/* Status of a read: 1 success; 4 asks for an overlapped (jitter-corrected) re-read.
 *
 * On a real drive, libcdio's results become:
 *   DRIVER_OP_SUCCESS                        1
 *   DRIVER_OP_ERROR, DRIVER_OP_MMC_SENSE_DATA (a medium or transport error)
 *                                            4 for the first three failed attempts at the same
 *                                            request (start frame and frame count), 2 at the
 *                                            fourth: the plain read and the reader's three
 *                                            overlapped re-reads
 *   any other result (request refused)       2 at once
 *   a request outside the disc that the drive refuses: 2 at once
 *   no disc in the drive (ReadTOC)           3
 * ReadTOC reads the disc afresh on every call: a device is opened again, and an image whose
 * files changed on disk (size, modification time or identity) is opened anew. */
#define CD_STATUS_OK 1
#define CD_STATUS_RETRY 4
#define CD_STATUS_ERROR 2
#define CD_STATUS_NO_DISC 3
/* ReadCDAudioLBAC2 only: the audio was read, but the drive gave no C2 error pointers. */
#define CD_STATUS_NO_C2 5

/* C2 error pointers of one frame: one bit per audio byte, most significant bit first. */
#define CD_C2_BYTES (CD_FRAME_BYTES / 8)

/* ModifyCDParms parameters. */
#define CD_PARM_TOC_ADDRESS_FORM 36 /* 0 frame numbers, 1 minute-second-frame */
#define CD_PARM_CHECK_FRAMES 37
#define CD_PARM_OVERLAP_FRAMES 38
#define CD_PARM_JITTER_MODE 39

#pragma pack(push, 1)

typedef struct CDDriveEntry {
    uint8_t address[3];    /* identifies the drive to GetCDHandle */
    char description[118]; /* for people only: NUL-terminated name of the drive or image */
} CDDriveEntry;

typedef struct CDDriveList {
    uint8_t capacity; /* set by the caller: 8 */
    uint8_t found;    /* set by the library */
    CDDriveEntry drives[CD_MAX_DRIVES];
} CDDriveList;

typedef struct CDOpenRequest {
    uint8_t recordSize; /* 12 */
    uint8_t one;        /* the constant 1 */
    uint8_t address[3];
    uint8_t readMode; /* 0 */
    uint8_t zero[4];
    uint8_t overlapFrames; /* 1 */
    uint8_t checkFrames;   /* 3 */
} CDOpenRequest;

typedef struct CDTocDescriptor {
    uint8_t reserved1;
    uint8_t adrControl;  /* bit CD_TOC_CONTROL_DATA: data track */
    uint8_t trackNumber; /* CD_TOC_LEADOUT for the lead-out */
    uint8_t reserved2;
    uint8_t address[4]; /* big-endian frame number, or 0, M, S, F */
} CDTocDescriptor;

/* The READ TOC format 0 response. */
typedef struct CDTocRecord {
    uint8_t dataLength[2]; /* big-endian, bytes after this field */
    uint8_t firstTrack;
    uint8_t lastTrack;
    CDTocDescriptor descriptors[CD_TOC_MAX_DESCRIPTORS];
} CDTocRecord;

/* Header of a sector buffer; bufferLength bytes of data follow it. */
typedef struct CDSectorHeader {
    uint32_t startFrame; /* read as signed: a drive that reads into the lead-in takes frames
                            before 0 there */
    uint32_t frameCount;
    uint32_t bufferLength; /* bytes of the data area, set at allocation */
    uint32_t bytesReturned;
    uint32_t reserved;
    uint32_t dataOffset; /* from the start of the data area to the first valid byte */
} CDSectorHeader;

/* The drive's identification from its INQUIRY data, NUL-terminated, trailing spaces removed. */
typedef struct CDDriveInquiry {
    char vendor[9];
    char model[17];
    char revision[5];
} CDDriveInquiry;

#pragma pack(pop)

#define CD_SECTOR_DATA(header) ((uint8_t*)(header) + sizeof(CDSectorHeader))

typedef uint32_t CDHANDLE; /* 0: no drive */

RIP32_API uint32_t GetCDList(CDDriveList* list);
RIP32_API CDHANDLE GetCDHandle(const CDOpenRequest* request);
RIP32_API uint32_t CloseCDHandle(CDHANDLE handle);
RIP32_API uint32_t ModifyCDParms(CDHANDLE handle, uint32_t parameter, uint32_t value);
RIP32_API uint32_t ReadTOC(CDHANDLE handle, CDTocRecord* toc);
RIP32_API uint32_t ReadCDAudioLBA(CDHANDLE handle, CDSectorHeader* buffer);
RIP32_API uint32_t ReadCDAudioLBAEx(CDHANDLE handle, CDSectorHeader* buffer,
                                    CDSectorHeader* overlap);
/* Reads as ReadCDAudioLBA and fills c2 (c2Length bytes, at least frameCount x CD_C2_BYTES)
 * with the C2 error pointers the drive reports: a set bit marks an audio byte the drive could
 * not correct. On a device this is MMC READ CD with the C2 error block; a disc image reports the
 * C2 errors of its fault file's "flaky FRAMES SAMPLES c2" lines. Results: 1 read with C2
 * pointers; 5 (CD_STATUS_NO_C2) read, but the drive gives no C2 pointers (c2 is zeroed);
 * 4, 2 and 3 as for ReadCDAudioLBA; 2 also for a null buffer or c2, or c2Length too short. */
RIP32_API uint32_t ReadCDAudioLBAC2(CDHANDLE handle, CDSectorHeader* buffer, uint8_t* c2,
                                    uint32_t c2Length);
/* Fills info with the drive's vendor, model and revision (a disc image: the "drive" line of
 * its fault file). 1 = filled; 0 = no such handle, a null record, or a drive that does not
 * identify itself (info is zeroed then). */
RIP32_API uint32_t GetCDDriveInquiry(CDHANDLE handle, CDDriveInquiry* info);

/* Why the last disc image was refused, for people: the file, for a cue sheet the line, and what
 * is wrong (for example "/music/disc.cue, line 7: track 03 has no INDEX 01"). An image refused
 * by GetCDHandle sets it; GetCDList clears it. Copies the text into `text`, NUL-terminated and
 * cut to `size` bytes (text may be NULL when size is 0). Returns the full text's length in bytes
 * without the NUL: 0 when no image has been refused since the last GetCDList. */
RIP32_API uint32_t GetImageError(char* text, uint32_t size);

/* The disc's own metadata, read once per disc (again after a ReadTOC finds a new one): from a
 * drive its CD-Text, its sub-channel ISRCs and MCN (the CD-Text's codes where the sub-channel has
 * none); from a cue sheet its TITLE, PERFORMER, SONGWRITER, ISRC and CATALOG lines, with the
 * binary CD-Text of its CDTEXTFILE filling what the lines leave empty. */

/* Copies a CD-Text field (CD_TEXT_TITLE, CD_TEXT_PERFORMER, CD_TEXT_SONGWRITER) of the album
 * (track 0) or of a track as UTF-8 (an 8-bit cue sheet's text read as Latin-1), NUL-terminated
 * and cut to `size` bytes at a character boundary (text may be NULL when size is 0). Returns the
 * full text's length in bytes without the NUL: 0 when the disc has no such text, for an unknown
 * handle or field, and when no disc is in the drive. */
RIP32_API uint32_t GetCDText(CDHANDLE handle, uint32_t track, uint32_t field, char* text,
                             uint32_t size);
/* Fills isrc (CD_ISRC_BYTES bytes) with the track's ISRC, twelve letters and digits without
 * dashes. 1 = filled; 0 = the track has none, no such handle or disc, or a null buffer (isrc is
 * zeroed then, when not null). */
RIP32_API uint32_t GetTrackISRC(CDHANDLE handle, uint32_t track, char* isrc);
/* Fills mcn (CD_MCN_BYTES bytes) with the disc's catalogue number, thirteen digits. 1 = filled;
 * 0 = the disc has none (thirteen zeros count as none), no such handle or disc, or a null
 * buffer (mcn is zeroed then, when not null). */
RIP32_API uint32_t GetDiscMCN(CDHANDLE handle, char* mcn);

#ifdef __cplusplus
}

static_assert(sizeof(CDDriveList) == 970, "drive list record");
static_assert(sizeof(CDOpenRequest) == 12, "open request record");
static_assert(sizeof(CDTocRecord) == 804, "TOC record");
static_assert(sizeof(CDSectorHeader) == 24, "sector buffer header");
static_assert(sizeof(CDDriveInquiry) == 31, "drive inquiry record");
#else
_Static_assert(sizeof(CDDriveList) == 970, "drive list record");
_Static_assert(sizeof(CDOpenRequest) == 12, "open request record");
_Static_assert(sizeof(CDTocRecord) == 804, "TOC record");
_Static_assert(sizeof(CDSectorHeader) == 24, "sector buffer header");
_Static_assert(sizeof(CDDriveInquiry) == 31, "drive inquiry record");
#endif

#endif
