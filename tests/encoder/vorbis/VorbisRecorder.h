/* A Vorbis back-end for the stream tests: it keeps the record and copies of its four texts as
 * beInitStream sees them, and the sample count of every later call. */
#ifndef VORBIS_RECORDER_H
#define VORBIS_RECORDER_H

#include "BladeEnc.h"

#ifdef __cplusplus
extern "C" {
#endif

#define VREC_EXPORT __attribute__((visibility("default")))
#define VREC_MAX_CALLS 256

enum { VREC_TITLE, VREC_ALBUM, VREC_ARTIST, VREC_YEAR };

typedef struct VRecState {
    int initCalls, deinitCalls, closeCalls;
    uint8_t record[BE_CONFIG_SIZE];
    int hasText[4]; /* the pointer was not null */
    char text[4][128];
    int encodeCalls;
    uint32_t sampleCounts[VREC_MAX_CALLS];
} VRecState;

/* Forgets everything; beInitStream will report this sample count (and stream 5). */
VREC_EXPORT void vrecReset(uint32_t samplesPerChunk);
VREC_EXPORT const VRecState* vrecState(void);

#ifdef __cplusplus
}
#endif

#endif
