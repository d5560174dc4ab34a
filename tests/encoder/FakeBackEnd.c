/* A stand-in back-end for the binding and availability tests: reports the version bytes it is
 * built with and leaves out the entry points named by FAKE_WITHOUT_... definitions; with
 * FAKE_INIT_FAILS it refuses to start a stream. */
#define BLADEENC_BUILD
#include "BladeEnc.h"

#include <string.h>

#ifndef FAKE_VERSION
#define FAKE_VERSION 1, 4, 3, 54 /* interface major, minor, engine major, minor */
#endif

#ifndef FAKE_WITHOUT_VERSION
void beVersion(BEVersionRecord* version)
{
    const uint8_t bytes[4] = {FAKE_VERSION};
    memset(version, 0, sizeof *version);
    memcpy(version, bytes, sizeof bytes);
}
#endif

uint32_t beInitStream(void* config, uint32_t* samplesPerChunk, uint32_t* outputBufferSize,
                      BEStream* stream)
{
    (void)config;
#ifdef FAKE_INIT_FAILS
    /* A back-end that refuses every record. */
    (void)samplesPerChunk, (void)outputBufferSize, (void)stream;
    return BE_ERR_INVALID_PARAMETERS;
#endif
    *samplesPerChunk = 2304;
    *outputBufferSize = 8640;
    *stream = 1;
    return BE_ERR_SUCCESSFUL;
}

#ifndef FAKE_WITHOUT_ENCODE_CHUNK
uint32_t beEncodeChunk(BEStream stream, uint32_t sampleCount, const int16_t* samples,
                       uint8_t* output, uint32_t* outputLength)
{
    (void)stream, (void)sampleCount, (void)samples, (void)output;
    *outputLength = 0;
    return BE_ERR_SUCCESSFUL;
}
#endif

uint32_t beDeinitStream(BEStream stream, uint8_t* output, uint32_t* outputLength)
{
    (void)stream, (void)output;
    *outputLength = 0;
    return BE_ERR_SUCCESSFUL;
}

uint32_t beCloseStream(BEStream stream)
{
    (void)stream;
    return BE_ERR_SUCCESSFUL;
}

#ifndef FAKE_WITHOUT_VBR_HEADER
uint32_t beWriteVBRHeader(const char* mp3Path)
{
    (void)mp3Path;
    return BE_ERR_SUCCESSFUL;
}
#endif
