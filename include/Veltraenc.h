/* The encoder library's exported interface: the fourteen xt functions, the encoder types, the
 * output formats and the option numbers. Every integer of the interface is a 32-bit int. */
#ifndef VELTRAENC_H
#define VELTRAENC_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(VELTRAENC_BUILD)
#define XT_API __attribute__((visibility("default")))
#else
#define XT_API
#endif

/* A stream handle: 1 to XT_MAX_STREAMS, 0 for none. */
typedef int StreamHandle;
/* One of the XT_ENCODER_ numbers below. */
typedef int EncoderType;

#define XT_NO_HANDLE 0
#define XT_MAX_STREAMS 32

/* Encoder types (xtGetEncoder, xtEncoderAvail). */
#define XT_ENCODER_RAW 0   /* "raw": bare PCM, extension "dat" */
#define XT_ENCODER_WAV 1   /* "wav": PCM with a 44-byte header */
#define XT_ENCODER_LAME1 2 /* "lame1": MP3 through "lame_enc.dll", plain record */
#define XT_ENCODER_LAME2 3 /* "lame2": MP3 through "lame_enc.dll", LAME record */
#define XT_ENCODER_BLADE 4 /* "blade": MP3 through "bladeenc.dll" */
#define XT_ENCODER_VORB 5  /* "vorb": Ogg Vorbis through "vorb_enc.dll" */

/* Output formats (xtFormatAvail). */
#define XT_FORMAT_RAW 0
#define XT_FORMAT_WAV 1
#define XT_FORMAT_MP3 2
#define XT_FORMAT_OGG 3

/* Options: texts through xtSetAsciiOption, numbers through xtSetIntOption. */
enum {
    OUTPUT_DIR = 0,         /* text, all types */
    FILE_NAME = 1,          /* text, all types */
    FILE_EXT = 2,           /* text, all types */
    OPEN_MODE = 3,          /* text, all types */
    VORBIS_PARAM_4 = 4,     /* int, Vorbis */
    VORBIS_PARAM_5 = 5,     /* int, Vorbis */
    VORBIS_PARAM_6 = 6,     /* int, Vorbis */
    ID3_LEVEL = 7,          /* int, MP3, LAME, Vorbis */
    ID3_GENRE = 8,          /* int, MP3, LAME, Vorbis */
    ID3_YEAR = 9,           /* text, MP3, LAME, Vorbis */
    ID3_ARTIST = 10,        /* text, MP3, LAME, Vorbis */
    ID3_ALBUM = 11,         /* text, MP3, LAME, Vorbis */
    ID3_TITLE = 12,         /* text, MP3, LAME, Vorbis */
    MP3_BITRATE = 13,       /* int, MP3, LAME, Vorbis */
    MP3_MAX_BITRATE = 14,   /* int, LAME */
    MP3_MODE = 15,          /* int, MP3, LAME, Vorbis */
    MP3_ORIGINAL = 16,      /* int, MP3, LAME, Vorbis */
    MP3_CRC = 17,           /* int, MP3, LAME, Vorbis */
    MP3_COPYRIGHT = 18,     /* int, MP3, LAME, Vorbis */
    MP3_PRIVATE = 19,       /* int, MP3, LAME, Vorbis */
    LAME_PRESET = 20,       /* int, LAME */
    LAME_MPEG_VERSION = 21, /* int, LAME */
    LAME_VBR = 22,          /* int, LAME */
    LAME_VBR_QUALITY = 23,  /* int, LAME */
    /* 24 is refused by every type. */
    NO_WRITE = 25,             /* int, all types */
    VORBIS_PARAM_5_ALIAS = 26, /* int, Vorbis: the same field as VORBIS_PARAM_5 */
    ID3_TRACK = 27,            /* int, MP3, LAME, Vorbis */
    FILE_DIR = 28,             /* text, all types */
    LAME_MODE = 29             /* int, LAME: the same field as MP3_MODE */
};

XT_API StreamHandle xtGetEncoder(EncoderType type);
XT_API int xtSetIntOption(StreamHandle handle, int option, int value);
XT_API int xtSetAsciiOption(StreamHandle handle, int option, const char* text);
XT_API int xtCheckOutputFileExists(StreamHandle handle);
XT_API int xtOpenOutputFile(StreamHandle handle);
XT_API int xtGetOutputFileName(StreamHandle handle, char* buffer, int size);
XT_API const char* xtGetExtension(StreamHandle handle);
XT_API const char* xtGetFilename(StreamHandle handle);
XT_API int xtInit(StreamHandle handle);
XT_API int xtEncode(StreamHandle handle, const void* pcm, int count);
XT_API int xtFlush(StreamHandle handle);
XT_API int xtClose(StreamHandle handle);
XT_API int xtEncoderAvail(EncoderType type);
XT_API int xtFormatAvail(int format);

#ifdef __cplusplus
}
#endif

#endif
