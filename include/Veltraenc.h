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

/* ---- Values of the integer options ----
 * The library passes these through to the back-end records unchanged. */

/* MP3_MODE, LAME_MODE: channel mode. The input is always stereo; mono mixes both channels. */
#define XT_MP3_MODE_STEREO 0
#define XT_MP3_MODE_JOINT_STEREO 1
#define XT_MP3_MODE_DUAL_CHANNEL 2
#define XT_MP3_MODE_MONO 3

/* LAME_PRESET: the encoder's quality preset. */
#define XT_LAME_PRESET_DEFAULT (-1) /* the engine's own default */
#define XT_LAME_PRESET_NORMAL 0
#define XT_LAME_PRESET_LOW 1
#define XT_LAME_PRESET_HIGH 2

/* LAME_MPEG_VERSION */
#define XT_LAME_MPEG_VERSION_2 0 /* MPEG-2 and MPEG-2.5 sample rates */
#define XT_LAME_MPEG_VERSION_1 1

/* LAME_VBR_QUALITY: 0 best to 9 smallest. */
#define XT_LAME_VBR_QUALITY_BEST 0
#define XT_LAME_VBR_QUALITY_SMALLEST 9

/* ID3_LEVEL: 0 (or less) writes no tag, more than 0 appends an ID3v1.1 tag at xtClose. */
#define XT_ID3_LEVEL_NONE 0
#define XT_ID3_LEVEL_V1 1

/* Yes-or-no options (MP3_ORIGINAL, MP3_CRC, MP3_COPYRIGHT, MP3_PRIVATE, LAME_VBR, NO_WRITE):
 * 0 no, anything else yes. */
#define XT_OFF 0
#define XT_ON 1

/* MP3_BITRATE, MP3_MAX_BITRATE and VORBIS_PARAM_5 are kbit/s. */
/* ---- end of option values ---- */

/* A stream of the type: its handle, 1 to XT_MAX_STREAMS; XT_NO_HANDLE (0) for an unknown type or
 * when all handles are in use. Handles rotate: the next call gives the next free one. Should
 * memory run out the handle is still given, and every call on it gives its failure result. */
XT_API StreamHandle xtGetEncoder(EncoderType type);
/* 1 when the stream took the option; 0 for a handle that names no stream or an option its
 * type refuses. */
XT_API int xtSetIntOption(StreamHandle handle, int option, int value);
/* As xtSetIntOption; a null text is also refused with 0. Texts are cut to their field. */
XT_API int xtSetAsciiOption(StreamHandle handle, int option, const char* text);
/* 1 when a file (not a folder) is at the output path; 0 when none is, the path is too long or
 * the handle names no stream. */
XT_API int xtCheckOutputFileExists(StreamHandle handle);
/* Creates the missing folders and opens the output file (closing one still open): 1 when open,
 * or with NO_WRITE set, 1 without opening anything; 0 when the path is too long, the file does
 * not open or the handle names no stream. */
XT_API int xtOpenOutputFile(StreamHandle handle);
/* 1 with "<folder>/<sub-folder><name>.<extension>" and its NUL in buffer; 0 when it does not
 * fit in size bytes (buffer untouched), buffer is null, size is below 1 or the handle names no
 * stream. */
XT_API int xtGetOutputFileName(StreamHandle handle, char* buffer, int size);
/* The output extension without its dot, in library-owned memory that the next xtGetExtension
 * call (on any handle) overwrites; null when the handle names no stream. */
XT_API const char* xtGetExtension(StreamHandle handle);
/* "<name>.<extension>", in library-owned memory that the next xtGetFilename call overwrites;
 * null when the handle names no stream. */
XT_API const char* xtGetFilename(StreamHandle handle);
/* Starts the encoder: 1 when ready (always for raw and WAV); 0 when the back-end is missing or
 * refuses the settings, or the handle names no stream. */
XT_API int xtInit(StreamHandle handle);
/* Takes count bytes of 16-bit stereo PCM. Raw and WAV: the bytes written, less than count
 * when a write failed (the failure also makes xtClose give 0). MP3 and Ogg: the bytes of
 * encoded output this call produced, 0 while the PCM waits for a whole chunk. 0 when the file
 * is not open (raw, WAV) or the encoder not started or already flushed (MP3, Ogg), pcm is
 * null, count is not positive or the handle names no stream. */
XT_API int xtEncode(StreamHandle handle, const void* pcm, int count);
/* Ends the encoding: MP3 and Ogg give the bytes of encoded output the last PCM and the end
 * produced; raw and WAV, a stream never started or already flushed, and a handle that names
 * no stream give 0. */
XT_API int xtFlush(StreamHandle handle);
/* Finishes the file (WAV header, tags) and closes it: 1 when every write succeeded, or nothing
 * was to be written (NO_WRITE); 0 when any write failed, so the file is not complete, or the
 * handle names no stream. The handle is free afterwards either way. */
XT_API int xtClose(StreamHandle handle);
/* 1 when streams of the type can encode (raw and WAV always; the others when their back-end
 * library loads and is the right kind); 0 otherwise. */
XT_API int xtEncoderAvail(EncoderType type);
/* 1 when an available encoder type writes the XT_FORMAT_ format; 0 otherwise. */
XT_API int xtFormatAvail(int format);

#ifdef __cplusplus
}
#endif

#endif
