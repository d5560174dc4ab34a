/* A back-end for the encoder-stream tests: it records every call with its stream, sample count
 * and sample pointer, keeps every PCM byte it receives, and answers as a plan says. */
#ifndef RECORDING_BACKEND_H
#define RECORDING_BACKEND_H

#include "BladeEnc.h"

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define REC_EXPORT __attribute__((visibility("default")))

enum RecCallKind { REC_INIT, REC_ENCODE, REC_DEINIT, REC_CLOSE, REC_VBR_HEADER };

typedef struct RecCall {
    int kind;
    BEStream stream;
    uint32_t sampleCount;
    const int16_t* samples; /* the pointer as passed */
    uint32_t outputLength;  /* what the call reported */
    long fileSize;          /* REC_VBR_HEADER: the file's size when the call came, -1 if none */
    char path[300];         /* REC_VBR_HEADER: the path passed */
    uint8_t config[BE_CONFIG_SIZE]; /* REC_INIT: the record passed */
} RecCall;

typedef struct RecPlan {
    uint32_t initResult;
    BEStream initStream;
    uint32_t samplesPerChunk;
    uint32_t outputBufferSize;
    uint32_t outputPerChunk; /* bytes each beEncodeChunk reports */
    uint32_t outputAtDeinit; /* bytes beDeinitStream reports */
} RecPlan;

/* Forgets every call and received byte and sets the plan. The output bytes count up from 0. */
REC_EXPORT void recReset(const RecPlan* plan);
REC_EXPORT size_t recCallCount(void);
REC_EXPORT const RecCall* recCall(size_t index);
/* Every PCM byte that beEncodeChunk received, in order. */
REC_EXPORT const uint8_t* recReceived(size_t* size);

#ifdef __cplusplus
}
#endif

#endif
