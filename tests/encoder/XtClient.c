/* An outside caller written in C against the public header only, linked to nothing but
 * libVeltraenc.so: "XtClient wav <folder>" writes a WAV file and checks every result;
 * "XtClient flac <folder> <frames>" writes a tagged FLAC file of that many CD frames;
 * "XtClient avail" prints the answers of xtEncoderAvail (types -1 to 8) and xtFormatAvail
 * (formats -1 to 6). The exit status is the number of failed checks. */
#include "Veltraenc.h"
#include "support/CCheck.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void WriteWav(const char* folder)
{
    unsigned char frame[2352];
    char path[261];
    int i, j;
    StreamHandle h = xtGetEncoder(XT_ENCODER_WAV);
    CHECK(h != XT_NO_HANDLE);
    CHECK(xtSetAsciiOption(h, OUTPUT_DIR, folder) == 1);
    CHECK(xtSetAsciiOption(h, FILE_DIR, "Artist/Album") == 1);
    CHECK(xtSetAsciiOption(h, FILE_NAME, "Track 01") == 1);
    CHECK(xtSetAsciiOption(h, ID3_TITLE, "no tags in WAV") == 0);
    CHECK(xtSetIntOption(h, MP3_BITRATE, 128) == 0);
    CHECK(xtCheckOutputFileExists(h) == 0);
    CHECK(xtOpenOutputFile(h) == 1);
    CHECK(xtInit(h) == 1);
    for (i = 0; i < 3; ++i) {
        for (j = 0; j < (int)sizeof frame; ++j)
            frame[j] = (unsigned char)(i * 31 + j);
        CHECK(xtEncode(h, frame, (int)sizeof frame) == 2352);
    }
    CHECK(xtFlush(h) == 0);
    CHECK(xtCheckOutputFileExists(h) == 1);
    CHECK(xtGetOutputFileName(h, path, (int)sizeof path) == 1);
    CHECK(strcmp(xtGetFilename(h), "Track 01.wav") == 0);
    CHECK(strcmp(xtGetExtension(h), "wav") == 0);
    CHECK(xtClose(h) == 1);
    CHECK(xtClose(h) == 0);
    CHECK(xtGetExtension(h) == NULL);
    printf("%s\n", path);
}

/* Frame i holds bytes i * 7 + j: audio that differs from frame to frame. */
static void WriteFlac(const char* folder, long frames)
{
    unsigned char frame[2352];
    char path[261];
    long i;
    int j;
    StreamHandle h = xtGetEncoder(XT_ENCODER_FLAC);
    CHECK(h != XT_NO_HANDLE);
    CHECK(xtEncoderAvail(XT_ENCODER_FLAC) == 1 && xtFormatAvail(XT_FORMAT_FLAC) == 1);
    CHECK(strcmp(xtGetExtension(h), "flac") == 0);
    CHECK(xtSetAsciiOption(h, OUTPUT_DIR, folder) == 1);
    CHECK(xtSetAsciiOption(h, FILE_NAME, "Track 03") == 1);
    CHECK(xtSetAsciiOption(h, ID3_TITLE, "Caf\xE9 \x80") == 1);
    CHECK(xtSetAsciiOption(h, ID3_ARTIST, "C Client") == 1);
    CHECK(xtSetIntOption(h, ID3_TRACK, 3) == 1);
    CHECK(xtSetIntOption(h, FLAC_LEVEL, 9) == 0);
    CHECK(xtSetIntOption(h, FLAC_LEVEL, 8) == 1);
    CHECK(strcmp(xtGetFilename(h), "Track 03.flac") == 0);
    CHECK(xtOpenOutputFile(h) == 1);
    CHECK(xtInit(h) == 1);
    for (i = 0; i < frames; ++i) {
        for (j = 0; j < (int)sizeof frame; ++j)
            frame[j] = (unsigned char)(i * 7 + j);
        CHECK(xtEncode(h, frame, (int)sizeof frame) >= 0);
    }
    CHECK(xtFlush(h) > 0);
    CHECK(xtGetOutputFileName(h, path, (int)sizeof path) == 1);
    CHECK(xtClose(h) == 1);
    printf("%s\n", path);
}

static void PrintAvailability(void)
{
    int n;
    for (n = -1; n <= 8; ++n)
        printf("%d", xtEncoderAvail(n));
    printf(" ");
    for (n = -1; n <= 6; ++n)
        printf("%d", xtFormatAvail(n));
    printf("\n");
}

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "wav") == 0)
        WriteWav(argv[2]);
    else if (argc == 4 && strcmp(argv[1], "flac") == 0)
        WriteFlac(argv[2], atol(argv[3]));
    else if (argc == 2 && strcmp(argv[1], "avail") == 0)
        PrintAvailability();
    else
        ++failures;
    return failures;
}
