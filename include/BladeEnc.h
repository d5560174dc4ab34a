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

/* Channel modes of the MP3 records (BEConfigMp3.mode, BEConfigLame.mode). The input is always
 * interleaved stereo; mono mode mixes both channels into one. */
#define BE_MP3_MODE_STEREO 0
#define BE_MP3_MODE_JSTEREO 1
#define BE_MP3_MODE_DUALCHANNEL 2
#define BE_MP3_MODE_MONO 3

/* MPEG versions of the LAME record (BEConfigLame.mpegVersion). */
#define BE_MPEG_VERSION_2 0 /* MPEG-2 and MPEG-2.5 sample rates */
#define BE_MPEG_VERSION_1 1

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

/* An outside library defines BLADEENC_BUILD to get the exported prototypes; a program linked
 * to one directly, rather than loading it by name, defines BLADEENC_LINKED. */
#if defined(BLADEENC_BUILD) || defined(BLADEENC_LINKED)
#if defined(BLADEENC_BUILD)
#define BE_API __attribute__((visibility("default")))
#else
#define BE_API
#endif
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

/* The Ogg Vorbis configuration record, kept apart from the MP3 records above. */
#ifndef BLADEENC_VORBIS_H
#define BLADEENC_VORBIS_H

#define BE_VORBIS_RECORD_VERSION 2
#define BE_VORBIS_CHANNELS 2

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)

/* Configuration kind BE_CONFIG_VORBIS: BE_CONFIG_SIZE bytes, every byte not named here zero.
 * The four texts are UTF-8 (null for none); they belong to the caller and live only during
 * beInitStream, so a back-end that keeps them copies them. The three parameters are passed
 * through as the caller got them; vorb_enc reads parameter 5 as the nominal bitrate, 4 as the
 * minimum and 6 as the maximum, in kbit/s, -1 for none.
 *
 * The eleven 4-byte slots from offset 16 to 59 are pointer slots, which fixes two layouts:
 *   32-bit builds (the interface's original layout): title 16, album 24, artist 28, year 44,
 *     parameter 6 at 60, parameter 4 at 64, parameter 5 at 68.
 *   64-bit builds: each slot widens to 8 bytes, so every pointer is naturally aligned and the
 *     fields keep their order: title 16, album 32, artist 40, year 72, and after the pointers
 *     parameter 6 at 104, parameter 4 at 108, parameter 5 at 112.
 * Both stay BE_CONFIG_SIZE bytes long. */
typedef struct BEConfigVorbis {
    uint32_t kind;           /* BE_CONFIG_VORBIS */
    uint32_t version;        /* BE_VORBIS_RECORD_VERSION */
    uint32_t channels;       /* BE_VORBIS_CHANNELS: interleaved stereo */
    uint32_t sampleRate;     /* 44100 */
    const char* title;       /* TITLE comment */
    const void* unused20;    /* null */
    const char* album;       /* ALBUM comment */
    const char* artist;      /* ARTIST comment */
    const void* unused32[3]; /* null */
    const char* year;        /* DATE comment */
    const void* unused48[3]; /* null */
    int32_t parameter6;      /* maximum bitrate */
    int32_t parameter4;      /* minimum bitrate */
    int32_t parameter5;      /* nominal bitrate */
    uint8_t reserved[BE_CONFIG_SIZE - 28 - 11 * sizeof(void*)];
} BEConfigVorbis;

#pragma pack(pop)

#ifdef __cplusplus
}
#define BE_VORBIS_ASSERT(condition, text) static_assert(condition, text)
#else
#define BE_VORBIS_ASSERT(condition, text) _Static_assert(condition, text)
#endif

BE_VORBIS_ASSERT(sizeof(BEConfigVorbis) == BE_CONFIG_SIZE, "Vorbis record");
#if UINTPTR_MAX == 0xFFFFFFFFu
BE_VORBIS_ASSERT(offsetof(BEConfigVorbis, title) == 16, "BEConfigVorbis.title");
BE_VORBIS_ASSERT(offsetof(BEConfigVorbis, album) == 24, "BEConfigVorbis.album");
BE_VORBIS_ASSERT(offsetof(BEConfigVorbis, artist) == 28, "BEConfigVorbis.artist");
BE_VORBIS_ASSERT(offsetof(BEConfigVorbis, year) == 44, "BEConfigVorbis.year");
BE_VORBIS_ASSERT(offsetof(BEConfigVorbis, parameter6) == 60, "BEConfigVorbis.parameter6");
BE_VORBIS_ASSERT(offsetof(BEConfigVorbis, parameter4) == 64, "BEConfigVorbis.parameter4");
BE_VORBIS_ASSERT(offsetof(BEConfigVorbis, parameter5) == 68, "BEConfigVorbis.parameter5");
#else
BE_VORBIS_ASSERT(offsetof(BEConfigVorbis, title) == 16, "BEConfigVorbis.title");
BE_VORBIS_ASSERT(offsetof(BEConfigVorbis, album) == 32, "BEConfigVorbis.album");
BE_VORBIS_ASSERT(offsetof(BEConfigVorbis, artist) == 40, "BEConfigVorbis.artist");
BE_VORBIS_ASSERT(offsetof(BEConfigVorbis, year) == 72, "BEConfigVorbis.year");
BE_VORBIS_ASSERT(offsetof(BEConfigVorbis, parameter6) == 104, "BEConfigVorbis.parameter6");
BE_VORBIS_ASSERT(offsetof(BEConfigVorbis, parameter4) == 108, "BEConfigVorbis.parameter4");
BE_VORBIS_ASSERT(offsetof(BEConfigVorbis, parameter5) == 112, "BEConfigVorbis.parameter5");
#endif
#undef BE_VORBIS_ASSERT

#endif

/* The FLAC and Ogg Opus configuration records, kept apart like the Vorbis record. */
#ifndef BLADEENC_FLAC_OPUS_H
#define BLADEENC_FLAC_OPUS_H

#define BE_CONFIG_FLAC 768
#define BE_CONFIG_OPUS 1024
#define BE_FLAC_RECORD_VERSION 1
#define BE_OPUS_RECORD_VERSION 1

/* The FLAC compression levels of libFLAC and of the flac program (-0 to -8). */
#define BE_FLAC_LEVEL_MIN 0
#define BE_FLAC_LEVEL_MAX 8
#define BE_FLAC_LEVEL_DEFAULT 5

/* Opus bitrates in kbit/s for a stereo stream. */
#define BE_OPUS_KBPS_MIN 6
#define BE_OPUS_KBPS_MAX 510
#define BE_OPUS_KBPS_DEFAULT 160

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)

/* Both records put their 32-byte block of integers first and the four text pointers after it.
 * Offset 32 is a multiple of every pointer size, so unlike the Vorbis record (whose pointer
 * slots begin at 16) one table of offsets holds for 32- and 64-bit builds and every pointer is
 * naturally aligned. The texts are UTF-8, null for none, and belong to the caller only during
 * beInitStream: a back-end keeps copies. The records are BE_CONFIG_SIZE bytes, the rest zero.
 *
 * Offsets: kind 0, version 4, channels 8, sample rate 12, then
 *   FLAC: bits per sample 16, compression level 20, verify 24, track number 28;
 *   Opus: bitrate 16, VBR 20, track number 24, reserved 28;
 * then title 32, album 32 + p, artist 32 + 2p, year 32 + 3p (p the size of a pointer). */

/* Configuration kind BE_CONFIG_FLAC: lossless, the input as it is. */
typedef struct BEConfigFlac {
    uint32_t kind;            /* BE_CONFIG_FLAC */
    uint32_t version;         /* BE_FLAC_RECORD_VERSION */
    uint32_t channels;        /* 2: interleaved stereo */
    uint32_t sampleRate;      /* 44100 */
    uint32_t bitsPerSample;   /* 16 */
    int32_t compressionLevel; /* BE_FLAC_LEVEL_MIN to BE_FLAC_LEVEL_MAX */
    int32_t verify;           /* non-zero: every frame is decoded again and compared */
    uint32_t trackNumber;     /* TRACKNUMBER comment; 0 for none */
    const char* title;        /* TITLE comment */
    const char* album;        /* ALBUM comment */
    const char* artist;       /* ARTIST comment */
    const char* year;         /* DATE comment */
    uint8_t reserved[BE_CONFIG_SIZE - 32 - 4 * sizeof(void*)];
} BEConfigFlac;

/* Configuration kind BE_CONFIG_OPUS: Ogg Opus, 48 kHz inside, the input rate in the header. */
typedef struct BEConfigOpus {
    uint32_t kind;        /* BE_CONFIG_OPUS */
    uint32_t version;     /* BE_OPUS_RECORD_VERSION */
    uint32_t channels;    /* 2: interleaved stereo */
    uint32_t sampleRate;  /* 44100 */
    uint32_t bitrate;     /* kbit/s, BE_OPUS_KBPS_MIN to BE_OPUS_KBPS_MAX */
    int32_t vbr;          /* non-zero: variable bitrate; 0: constant */
    uint32_t trackNumber; /* TRACKNUMBER comment; 0 for none */
    uint32_t reserved28;  /* 0 */
    const char* title;
    const char* album;
    const char* artist;
    const char* year;
    uint8_t reserved[BE_CONFIG_SIZE - 32 - 4 * sizeof(void*)];
} BEConfigOpus;

#pragma pack(pop)

#ifdef __cplusplus
}
#define BE_FLAC_OPUS_ASSERT(condition, text) static_assert(condition, text)
#else
#define BE_FLAC_OPUS_ASSERT(condition, text) _Static_assert(condition, text)
#endif

BE_FLAC_OPUS_ASSERT(sizeof(BEConfigFlac) == BE_CONFIG_SIZE, "FLAC record");
BE_FLAC_OPUS_ASSERT(sizeof(BEConfigOpus) == BE_CONFIG_SIZE, "Opus record");
BE_FLAC_OPUS_ASSERT(offsetof(BEConfigFlac, trackNumber) == 28, "BEConfigFlac.trackNumber");
BE_FLAC_OPUS_ASSERT(offsetof(BEConfigFlac, title) == 32, "BEConfigFlac.title");
BE_FLAC_OPUS_ASSERT(offsetof(BEConfigFlac, year) == 32 + 3 * sizeof(void*), "BEConfigFlac.year");
BE_FLAC_OPUS_ASSERT(offsetof(BEConfigOpus, trackNumber) == 24, "BEConfigOpus.trackNumber");
BE_FLAC_OPUS_ASSERT(offsetof(BEConfigOpus, title) == 32, "BEConfigOpus.title");
BE_FLAC_OPUS_ASSERT(offsetof(BEConfigOpus, year) == 32 + 3 * sizeof(void*), "BEConfigOpus.year");
#undef BE_FLAC_OPUS_ASSERT

#endif
