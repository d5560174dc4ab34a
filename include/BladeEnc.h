/* The BladeEnc-style interface of the outside encoder libraries: the six entry points that the
 * encoder library binds by name, the version record and the configuration records. */
#ifndef BLADEENC_H
#define BLADEENC_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Configuration kinds: the first 32-bit field of every configuration record. */
#define BE_CONFIG_MP3 0
#define BE_CONFIG_LAME 256
#define BE_CONFIG_VORBIS 512

#define BE_CONFIG_SIZE 331
#define BE_LAME_RECORD_VERSION 1
#define BE_VERSION_SIZE 268

/* Results of the entry points; the encoder library does not look at them. */
#define BE_ERR_SUCCESSFUL 0
#define BE_ERR_INVALID_FORMAT 1
#define BE_ERR_INVALID_PARAMETERS 2
#define BE_ERR_NO_MORE_HANDLES 3
#define BE_ERR_INVALID_HANDLE 4

/* A back-end stream: given by beInitStream, never 0 for a started stream. */
typedef uint32_t BEStream;

#pragma pack(push, 1)

/* Filled by beVersion; only the first four bytes are read. */
typedef struct BEVersionRecord {
    uint8_t interfaceMajor;
    uint8_t interfaceMinor;
    uint8_t engineMajor;
    uint8_t engineMinor;
    uint8_t reserved[BE_VERSION_SIZE - 4];
} BEVersionRecord;

/* Configuration kind BE_CONFIG_MP3. */
typedef struct BEConfigMp3 {
    uint32_t kind;       /* BE_CONFIG_MP3 */
    uint32_t sampleRate; /* 44100 */
    uint8_t mode;        /* channel mode */
    uint16_t bitrate;    /* kbit/s */
    int32_t privateFlag;
    int32_t crc;
    int32_t copyright;
    int32_t original;
    uint8_t reserved[BE_CONFIG_SIZE - 27];
} BEConfigMp3;

/* Configuration kind BE_CONFIG_LAME, record version BE_LAME_RECORD_VERSION. */
typedef struct BEConfigLame {
    uint32_t kind;             /* BE_CONFIG_LAME */
    uint32_t version;          /* BE_LAME_RECORD_VERSION */
    uint32_t size;             /* BE_CONFIG_SIZE */
    uint32_t inputSampleRate;  /* 44100 */
    uint32_t outputSampleRate; /* 0: the encoder chooses */
    int32_t mode;
    uint32_t bitrate;    /* constant bitrate, or the lowest VBR bitrate */
    uint32_t maxBitrate; /* highest VBR bitrate */
    int32_t preset;
    uint32_t mpegVersion;
    uint32_t psychoModel; /* 0 */
    uint32_t emphasis;    /* 0 */
    int32_t privateFlag;
    int32_t crc;
    int32_t copyright;
    int32_t original;
    int32_t writeVbrHeader;
    int32_t vbr;
    int32_t vbrQuality;
    uint8_t reserved[BE_CONFIG_SIZE - 76];
} BEConfigLame;

#pragma pack(pop)

/* The entry points, with the platform's caller-cleans calling convention. */
typedef uint32_t (*BeInitStreamFn)(void* config, uint32_t* samplesPerChunk,
                                   uint32_t* outputBufferSize, BEStream* stream);
typedef uint32_t (*BeEncodeChunkFn)(BEStream stream, uint32_t sampleCount, const int16_t* samples,
                                    uint8_t* output, uint32_t* outputLength);
typedef uint32_t (*BeDeinitStreamFn)(BEStream stream, uint8_t* output, uint32_t* outputLength);
typedef uint32_t (*BeCloseStreamFn)(BEStream stream);
typedef void (*BeVersionFn)(BEVersionRecord* version);
typedef uint32_t (*BeWriteVBRHeaderFn)(const char* mp3Path);

/* An outside library defines BLADEENC_BUILD to get the exported prototypes. */
#if defined(BLADEENC_BUILD)
#define BE_API __attribute__((visibility("default")))
BE_API uint32_t beInitStream(void* config, uint32_t* samplesPerChunk, uint32_t* outputBufferSize,
                             BEStream* stream);
BE_API uint32_t beEncodeChunk(BEStream stream, uint32_t sampleCount, const int16_t* samples,
                              uint8_t* output, uint32_t* outputLength);
BE_API uint32_t beDeinitStream(BEStream stream, uint8_t* output, uint32_t* outputLength);
BE_API uint32_t beCloseStream(BEStream stream);
BE_API void beVersion(BEVersionRecord* version);
BE_API uint32_t beWriteVBRHeader(const char* mp3Path);
#endif

#ifdef __cplusplus
}

static_assert(sizeof(BEVersionRecord) == BE_VERSION_SIZE, "version record");
static_assert(sizeof(BEConfigMp3) == BE_CONFIG_SIZE, "plain MP3 record");
static_assert(sizeof(BEConfigLame) == BE_CONFIG_SIZE, "LAME record");
static_assert(offsetof(BEConfigMp3, mode) == 8, "BEConfigMp3.mode");
static_assert(offsetof(BEConfigMp3, bitrate) == 9, "BEConfigMp3.bitrate");
static_assert(offsetof(BEConfigMp3, original) == 23, "BEConfigMp3.original");
static_assert(offsetof(BEConfigLame, mode) == 20, "BEConfigLame.mode");
static_assert(offsetof(BEConfigLame, privateFlag) == 48, "BEConfigLame.privateFlag");
static_assert(offsetof(BEConfigLame, vbrQuality) == 72, "BEConfigLame.vbrQuality");
#else
_Static_assert(sizeof(BEVersionRecord) == BE_VERSION_SIZE, "version record");
_Static_assert(sizeof(BEConfigMp3) == BE_CONFIG_SIZE, "plain MP3 record");
_Static_assert(sizeof(BEConfigLame) == BE_CONFIG_SIZE, "LAME record");
_Static_assert(offsetof(BEConfigMp3, mode) == 8, "BEConfigMp3.mode");
_Static_assert(offsetof(BEConfigMp3, bitrate) == 9, "BEConfigMp3.bitrate");
_Static_assert(offsetof(BEConfigMp3, original) == 23, "BEConfigMp3.original");
_Static_assert(offsetof(BEConfigLame, mode) == 20, "BEConfigLame.mode");
_Static_assert(offsetof(BEConfigLame, privateFlag) == 48, "BEConfigLame.privateFlag");
_Static_assert(offsetof(BEConfigLame, vbrQuality) == 72, "BEConfigLame.vbrQuality");
#endif

#endif
