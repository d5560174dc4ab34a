// Helpers of the back-end stand-in tests: records, test signals and one whole stream through
// the entry points of the back-end the test program is linked to.
#pragma once

// The programs using this link a back-end directly (their build defines BLADEENC_LINKED too).
#ifndef BLADEENC_LINKED
#define BLADEENC_LINKED
#endif
#include "include/BladeEnc.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace mp3test
{

inline BEConfigMp3 Plain(uint32_t rate = 44100, uint8_t mode = 0, uint16_t bitrate = 192)
{
    BEConfigMp3 r{};
    r.kind = BE_CONFIG_MP3;
    r.sampleRate = rate;
    r.mode = mode;
    r.bitrate = bitrate;
    return r;
}

// The record the encoder library sends for a rip.
inline BEConfigLame Lame()
{
    BEConfigLame r{};
    r.kind = BE_CONFIG_LAME;
    r.version = BE_LAME_RECORD_VERSION;
    r.size = BE_CONFIG_SIZE;
    r.inputSampleRate = 44100;
    r.bitrate = 192;
    r.maxBitrate = 320;
    r.preset = 2;
    r.mpegVersion = BE_MPEG_VERSION_1;
    r.writeVbrHeader = 1;
    r.vbr = 1;
    r.vbrQuality = 5;
    return r;
}

// Interleaved stereo: a tone on the left, seeded noise on the right, loud enough that a VBR
// encoder never falls to its silence bitrates.
inline std::vector<int16_t> Signal(size_t frames, unsigned seed = 1)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-6000, 6000);
    std::vector<int16_t> pcm(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        pcm[2 * i] = static_cast<int16_t>(9000 * std::sin(static_cast<double>(i) * 0.07));
        pcm[2 * i + 1] = static_cast<int16_t>(noise(random));
    }
    return pcm;
}

struct Stream {
    uint32_t initResult = 0;
    BEStream handle = 0;
    uint32_t chunk = 0;
    uint32_t bufferSize = 0;
    std::vector<uint8_t> bytes;
};

// Starts a stream, feeds the samples in pieces of at most `piece` samples (a whole chunk by
// default) from an address `shift` bytes off alignment, finishes and closes it.
inline Stream EncodeAll(const void* record, const std::vector<int16_t>& pcm, uint32_t piece = 0,
                        size_t shift = 0)
{
    Stream s;
    s.initResult = beInitStream(const_cast<void*>(record), &s.chunk, &s.bufferSize, &s.handle);
    if (s.initResult != BE_ERR_SUCCESSFUL) return s;
    if (piece == 0 || piece > s.chunk) piece = s.chunk;
    std::vector<uint8_t> input(pcm.size() * 2 + shift);
    std::memcpy(input.data() + shift, pcm.data(), pcm.size() * 2);
    std::vector<uint8_t> output(s.bufferSize);
    for (size_t at = 0; at < pcm.size(); at += piece) {
        const uint32_t count = static_cast<uint32_t>(std::min<size_t>(piece, pcm.size() - at));
        uint32_t length = 0;
        beEncodeChunk(s.handle, count,
                      reinterpret_cast<const int16_t*>(input.data() + shift + at * 2),
                      output.data(), &length);
        s.bytes.insert(s.bytes.end(), output.begin(), output.begin() + length);
    }
    uint32_t length = 0;
    beDeinitStream(s.handle, output.data(), &length);
    s.bytes.insert(s.bytes.end(), output.begin(), output.begin() + length);
    beCloseStream(s.handle);
    return s;
}

} // namespace mp3test
