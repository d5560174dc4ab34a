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
#define XT_ENCODER_FLAC 6  /* "flac": FLAC through "flac_enc.dll", extension "flac" */
#define XT_ENCODER_OPUS 7  /* "opus": Ogg Opus through "opus_enc.dll", extension "opus" */

/* Output formats (xtFormatAvail). */
#define XT_FORMAT_RAW 0
#define XT_FORMAT_WAV 1
#define XT_FORMAT_MP3 2
#define XT_FORMAT_OGG 3
#define XT_FORMAT_FLAC 4
#define XT_FORMAT_OPUS 5

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

/* The options of the FLAC (type 6) and Opus (type 7) streams. Both take the path options 0-3
 * and 28, NO_WRITE (25) and the tag texts 9-12 with ID3_TRACK (27), which become Vorbis
 * comments in UTF-8 (DATE, ARTIST, ALBUM, TITLE, TRACKNUMBER when not 0) and never an ID3 tag:
 * ID3_LEVEL (7) is accepted and the level stays 0. FILE_EXT takes up to 4 characters here.
 *   FLAC: FLAC_LEVEL (option 23) the compression level 0-8 (5); any other value is refused.
 *         Options 8 and 13-19 are accepted and stored without effect on the file.
 *   Opus: OPUS_BITRATE (option 13) the bitrate in kbit/s, 6-510 (160), others refused;
 *         OPUS_VBR (option 22) non-zero for variable bitrate (1).
 *         Options 8 and 15-19 are accepted and stored without effect on the file.
 * Every other option (4-6, 14, 20, 21, 23 for Opus, 22 for FLAC, 24, 26, 29) is refused.
 * xtClose of a flushed FLAC stream completes the file's STREAMINFO (sample count, MD5) and seek
 * table; it gives 0 when a write failed or that completion did not succeed. */
#define FLAC_LEVEL LAME_VBR_QUALITY
#define OPUS_BITRATE MP3_BITRATE
#define OPUS_VBR LAME_VBR

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
