/* The recording back-end of the encoder-stream tests (see RecordingBackEnd.h). beWriteVBRHeader
 * marks the closed file by overwriting its first four bytes with "VBRH". */
#define BLADEENC_BUILD
#include "RecordingBackEnd.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define REC_MAX_CALLS 4096

static RecPlan g_plan = {0, 1, 2304, 8640, 100, 50};
static RecCall g_calls[REC_MAX_CALLS];
static size_t g_callCount;
static uint8_t* g_received;
static size_t g_receivedSize;
static uint8_t g_nextOutput;

static RecCall* Record(int kind, BEStream stream)
{
    RecCall* call;
    if (g_callCount == REC_MAX_CALLS) abort();
    call = &g_calls[g_callCount++];
    memset(call, 0, sizeof *call);
    call->kind = kind;
    call->stream = stream;
    call->fileSize = -1;
    return call;
}

static void Produce(uint8_t* output, uint32_t count, uint32_t* outputLength)
{
    uint32_t i;
    for (i = 0; i < count; ++i)
        output[i] = g_nextOutput++;
    *outputLength = count;
}

void recReset(const RecPlan* plan)
{
    g_plan = *plan;
    g_callCount = 0;
    free(g_received);
    g_received = NULL;
    g_receivedSize = 0;
    g_nextOutput = 0;
}

size_t recCallCount(void)
{
    return g_callCount;
}

const RecCall* recCall(size_t index)
{
    return index < g_callCount ? &g_calls[index] : NULL;
}

const uint8_t* recReceived(size_t* size)
{
    *size = g_receivedSize;
    return g_received;
}

void beVersion(BEVersionRecord* version)
{
    memset(version, 0, sizeof *version);
}

uint32_t beInitStream(void* config, uint32_t* samplesPerChunk, uint32_t* outputBufferSize,
                      BEStream* stream)
{
    RecCall* call = Record(REC_INIT, g_plan.initStream);
    memcpy(call->config, config, BE_CONFIG_SIZE);
    *samplesPerChunk = g_plan.samplesPerChunk;
    *outputBufferSize = g_plan.outputBufferSize;
    *stream = g_plan.initStream;
    return g_plan.initResult;
}

uint32_t beEncodeChunk(BEStream stream, uint32_t sampleCount, const int16_t* samples,
                       uint8_t* output, uint32_t* outputLength)
{
    RecCall* call = Record(REC_ENCODE, stream);
    const size_t bytes = (size_t)sampleCount * 2;
    uint8_t* grown = realloc(g_received, g_receivedSize + bytes + 1);
    if (!grown) abort();
    g_received = grown;
    memcpy(g_received + g_receivedSize, samples, bytes);
    g_receivedSize += bytes;
    call->sampleCount = sampleCount;
    call->samples = samples;
    Produce(output, g_plan.outputPerChunk, outputLength);
    call->outputLength = *outputLength;
    return BE_ERR_SUCCESSFUL;
}

uint32_t beDeinitStream(BEStream stream, uint8_t* output, uint32_t* outputLength)
{
    RecCall* call = Record(REC_DEINIT, stream);
    Produce(output, g_plan.outputAtDeinit, outputLength);
    call->outputLength = *outputLength;
    return BE_ERR_SUCCESSFUL;
}

uint32_t beCloseStream(BEStream stream)
{
    Record(REC_CLOSE, stream);
    return BE_ERR_SUCCESSFUL;
}

uint32_t beWriteVBRHeader(const char* mp3Path)
{
    RecCall* call = Record(REC_VBR_HEADER, 0);
    FILE* file;
    snprintf(call->path, sizeof call->path, "%s", mp3Path);
    file = fopen(mp3Path, "r+b");
    if (!file) return BE_ERR_INVALID_PARAMETERS;
    fseek(file, 0, SEEK_END);
    call->fileSize = ftell(file);
    if (call->fileSize >= 4) {
        fseek(file, 0, SEEK_SET);
        fwrite("VBRH", 1, 4, file);
    }
    fclose(file);
    return BE_ERR_SUCCESSFUL;
}
