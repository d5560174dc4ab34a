/* libbladeenc.so as a C program sees it: the version record, one plain-record stream of whole
 * frames, a refused LAME record. The exit status is the number of failures. */
#define BLADEENC_LINKED
#include "BladeEnc.h"
#include "support/CCheck.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(void)
{
    BEVersionRecord version;
    BEConfigMp3 config;
    BEConfigLame lame;
    uint32_t chunk = 0, size = 0, length = 0, total = 0, i, s;
    BEStream stream = 0;
    int16_t* pcm;
    uint8_t* out;

    beVersion(&version);
    CHECK(version.interfaceMajor == 1 && version.interfaceMinor == 0);
    CHECK(version.engineMajor >= 3);

    memset(&config, 0, sizeof config);
    config.kind = BE_CONFIG_MP3;
    config.sampleRate = 44100;
    config.mode = BE_MP3_MODE_STEREO;
    config.bitrate = 128;
    CHECK(beInitStream(&config, &chunk, &size, &stream) == BE_ERR_SUCCESSFUL);
    CHECK(stream != 0 && chunk == 2304 && size > 0);
    if (stream == 0) return failures;

    pcm = malloc(chunk * sizeof *pcm);
    out = malloc(size);
    CHECK(pcm && out);
    if (!pcm || !out) return failures;
    for (i = 0; i < 10; ++i) {
        for (s = 0; s < chunk; ++s)
            pcm[s] = (int16_t)(8000.0 * sin((double)(i * chunk + s) * 0.01));
        CHECK(beEncodeChunk(stream, i == 9 ? 100 : chunk, pcm, out, &length) == BE_ERR_SUCCESSFUL);
        CHECK(length <= size);
        if (total == 0 && length >= 2) CHECK(out[0] == 0xFF && (out[1] & 0xE0) == 0xE0);
        total += length;
    }
    CHECK(beDeinitStream(stream, out, &length) == BE_ERR_SUCCESSFUL);
    total += length;
    /* Ten frames of 128 kbit/s at 44.1 kHz: 417 or 418 bytes each. */
    CHECK(total >= 4170 && total <= 4180);
    CHECK(beCloseStream(stream) == BE_ERR_SUCCESSFUL);
    CHECK(beCloseStream(stream) == BE_ERR_INVALID_HANDLE);

    memset(&lame, 0, sizeof lame);
    lame.kind = BE_CONFIG_LAME;
    lame.version = BE_LAME_RECORD_VERSION;
    lame.size = BE_CONFIG_SIZE;
    lame.inputSampleRate = 44100;
    lame.bitrate = 128;
    stream = 5;
    CHECK(beInitStream(&lame, &chunk, &size, &stream) == BE_ERR_INVALID_FORMAT);
    CHECK(stream == 0);

    free(pcm);
    free(out);
    printf("%d failed\n", failures);
    return failures;
}
