#define BLADEENC_BUILD
#include "VorbisRecorder.h"

#include <stdio.h>
#include <string.h>

static VRecState g_state;
static uint32_t g_samplesPerChunk = 4096;

void vrecReset(uint32_t samplesPerChunk)
{
    memset(&g_state, 0, sizeof g_state);
    g_samplesPerChunk = samplesPerChunk;
}

const VRecState* vrecState(void)
{
    return &g_state;
}

void beVersion(BEVersionRecord* version)
{
    memset(version, 0, sizeof *version);
}

static void Keep(int index, const char* text)
{
    g_state.hasText[index] = text != NULL;
    if (text) snprintf(g_state.text[index], sizeof g_state.text[index], "%s", text);
}

uint32_t beInitStream(void* config, uint32_t* samplesPerChunk, uint32_t* outputBufferSize,
                      BEStream* stream)
{
    BEConfigVorbis record;
    ++g_state.initCalls;
    memcpy(g_state.record, config, BE_CONFIG_SIZE);
    memcpy(&record, config, sizeof record);
    /* The texts live only during this call. */
    Keep(VREC_TITLE, record.title);
    Keep(VREC_ALBUM, record.album);
    Keep(VREC_ARTIST, record.artist);
    Keep(VREC_YEAR, record.year);
    *samplesPerChunk = g_samplesPerChunk;
    *outputBufferSize = 1000;
    *stream = 5;
    return BE_ERR_SUCCESSFUL;
}

uint32_t beEncodeChunk(BEStream stream, uint32_t sampleCount, const int16_t* samples,
                       uint8_t* output, uint32_t* outputLength)
{
    (void)stream, (void)samples, (void)output;
    if (g_state.encodeCalls < VREC_MAX_CALLS)
        g_state.sampleCounts[g_state.encodeCalls] = sampleCount;
    ++g_state.encodeCalls;
    *outputLength = 10;
    return BE_ERR_SUCCESSFUL;
}

uint32_t beDeinitStream(BEStream stream, uint8_t* output, uint32_t* outputLength)
{
    (void)stream, (void)output;
    ++g_state.deinitCalls;
    *outputLength = 3;
    return BE_ERR_SUCCESSFUL;
}

uint32_t beCloseStream(BEStream stream)
{
    (void)stream;
    ++g_state.closeCalls;
    return BE_ERR_SUCCESSFUL;
}
