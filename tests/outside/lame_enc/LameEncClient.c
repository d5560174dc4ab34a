/* liblame_enc.so as a C program sees it: the version record, one LAME-record stream written to
 * a file with its VBR header, a refused record. The exit status is the number of failures. */
#define BLADEENC_LINKED
#include "BladeEnc.h"
#include "support/CCheck.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv)
{
    BEVersionRecord version;
    BEConfigLame config;
    BEConfigMp3 bad;
    uint32_t chunk = 0, size = 0, length = 0, i;
    BEStream stream = 0;
    int16_t* pcm;
    uint8_t* out;
    FILE* file;
    char head[200];
    const char* path = argc > 1 ? argv[1] : "lame_enc_c_client.mp3";

    beVersion(&version);
    CHECK(version.interfaceMajor == 1 && version.interfaceMinor >= 4);
    CHECK(version.engineMajor * 256 + version.engineMinor >= 3 * 256 + 54);

    memset(&config, 0, sizeof config);
    config.kind = BE_CONFIG_LAME;
    config.version = BE_LAME_RECORD_VERSION;
    config.size = BE_CONFIG_SIZE;
    config.inputSampleRate = 44100;
    config.bitrate = 192;
    config.maxBitrate = 320;
    config.preset = 2;
    config.mpegVersion = BE_MPEG_VERSION_1;
    config.writeVbrHeader = 1;
    config.vbr = 1;
    config.vbrQuality = 5;
    CHECK(beInitStream(&config, &chunk, &size, &stream) == BE_ERR_SUCCESSFUL);
    CHECK(stream != 0 && chunk > 0 && size > 0);
    if (stream == 0) return failures;

    pcm = malloc(chunk * sizeof *pcm);
    out = malloc(size);
    file = fopen(path, "wb");
    CHECK(pcm && out && file);
    if (!pcm || !out || !file) return failures;
    for (i = 0; i < 40; ++i) {
        uint32_t s;
        for (s = 0; s < chunk; ++s)
            pcm[s] = (int16_t)(8000.0 * sin((double)(i * chunk + s) * 0.01));
        CHECK(beEncodeChunk(stream, chunk, pcm, out, &length) == BE_ERR_SUCCESSFUL);
        fwrite(out, 1, length, file);
    }
    CHECK(beDeinitStream(stream, out, &length) == BE_ERR_SUCCESSFUL);
    fwrite(out, 1, length, file);
    CHECK(fclose(file) == 0);
    CHECK(beWriteVBRHeader(path) == BE_ERR_SUCCESSFUL);
    CHECK(beCloseStream(stream) == BE_ERR_SUCCESSFUL);
    CHECK(beCloseStream(stream) == BE_ERR_INVALID_HANDLE);

    file = fopen(path, "rb");
    CHECK(file && fread(head, 1, sizeof head, file) == sizeof head);
    if (file) fclose(file);
    CHECK(memcmp(head + 36, "Xing", 4) == 0);
    CHECK(memcmp(head + 156, "LAME", 4) == 0);

    memset(&bad, 0, sizeof bad);
    bad.kind = BE_CONFIG_MP3;
    bad.sampleRate = 44100;
    bad.bitrate = 100;
    stream = 5;
    CHECK(beInitStream(&bad, &chunk, &size, &stream) != BE_ERR_SUCCESSFUL);
    CHECK(stream == 0);

    free(pcm);
    free(out);
    remove(path);
    printf("%d failed\n", failures);
    return failures;
}
