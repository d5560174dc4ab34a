/* libvorb_enc.so from a C program: loads it by path, checks the version and a refused record,
 * then encodes a tagged tone into the Ogg file named on the command line.
 * Usage: vorb_enc_c_client <library> <output.ogg> <frames> */
#include "BladeEnc.h"

#include <dlfcn.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition);                \
            return 1;                                                                              \
        }                                                                                          \
    } while (0)

/* ISO C has no cast from an object pointer to a function pointer; the bytes are copied. */
#define BIND(function, name)                                                                       \
    do {                                                                                           \
        void* address = dlsym(library, name);                                                      \
        memcpy(&function, &address, sizeof function);                                              \
    } while (0)

int main(int argc, char** argv)
{
    CHECK(argc == 4);
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    CHECK(library != NULL);
    BeInitStreamFn init;
    BeEncodeChunkFn encode;
    BeDeinitStreamFn deinit;
    BeCloseStreamFn closeStream;
    BeVersionFn version;
    BIND(init, "beInitStream");
    BIND(encode, "beEncodeChunk");
    BIND(deinit, "beDeinitStream");
    BIND(closeStream, "beCloseStream");
    BIND(version, "beVersion");
    CHECK(init && encode && deinit && closeStream && version);

    BEVersionRecord v;
    memset(&v, 0xFF, sizeof v);
    version(&v);
    CHECK(v.interfaceMajor == 1 && v.reserved[0] == 0);

    BEConfigVorbis config;
    memset(&config, 0, sizeof config);
    uint32_t samples = 0, bufferSize = 0;
    BEStream stream = 99;
    config.kind = BE_CONFIG_LAME; /* not a Vorbis record */
    CHECK(init(&config, &samples, &bufferSize, &stream) != BE_ERR_SUCCESSFUL && stream == 0);

    config.kind = BE_CONFIG_VORBIS;
    config.version = BE_VORBIS_RECORD_VERSION;
    config.channels = BE_VORBIS_CHANNELS;
    config.sampleRate = 44100;
    config.title = "Caf\xC3\xA9 \xE2\x82\xAC";
    config.artist = "Artist";
    config.year = "1999";
    config.parameter4 = config.parameter6 = -1;
    config.parameter5 = 128;
    CHECK(init(&config, &samples, &bufferSize, &stream) == BE_ERR_SUCCESSFUL);
    CHECK(stream != 0 && samples > 0 && samples % 2 == 0 && bufferSize > 0);

    const long frames = atol(argv[3]);
    int16_t* pcm = malloc(sizeof(int16_t) * 2 * (size_t)frames);
    uint8_t* output = malloc(bufferSize);
    FILE* file = fopen(argv[2], "wb");
    CHECK(pcm && output && file);
    for (long i = 0; i < frames; ++i) {
        pcm[2 * i] = (int16_t)(12000 * sin(i * 2 * 3.14159265 * 440 / 44100));
        pcm[2 * i + 1] = (int16_t)(pcm[2 * i] / 2);
    }
    uint32_t length = 0;
    for (long at = 0; at < 2 * frames; at += samples) {
        const long left = 2 * frames - at;
        const uint32_t count = left < (long)samples ? (uint32_t)left : samples;
        CHECK(encode(stream, count, pcm + at, output, &length) == BE_ERR_SUCCESSFUL);
        CHECK(length <= bufferSize);
        CHECK(fwrite(output, 1, length, file) == length);
    }
    CHECK(deinit(stream, output, &length) == BE_ERR_SUCCESSFUL && length <= bufferSize);
    CHECK(fwrite(output, 1, length, file) == length);
    CHECK(fclose(file) == 0);
    CHECK(closeStream(stream) == BE_ERR_SUCCESSFUL);
    CHECK(closeStream(stream) == BE_ERR_INVALID_HANDLE);
    CHECK(encode(stream, 2, pcm, output, &length) == BE_ERR_INVALID_HANDLE && length == 0);
    free(output);
    free(pcm);
    dlclose(library);
    return 0;
}
