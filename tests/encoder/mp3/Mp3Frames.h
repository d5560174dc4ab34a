// An MP3 reader of the tests' own, independent of the stand-ins: frame headers, a walk over
// the frames of a file, and the Xing/LAME header frame with its CRC.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mp3test
{

struct FrameHeader {
    int version = 0; // 10 for MPEG-1, 20 for MPEG-2, 25 for MPEG-2.5
    int bitrate = 0; // kbit/s
    int sampleRate = 0;
    int mode = 0; // 0 stereo, 1 joint, 2 dual, 3 mono
    int emphasis = 0;
    bool crc = false; // protected by a CRC
    bool padding = false;
    bool privateBit = false;
    bool copyright = false;
    bool original = false;
    size_t size = 0;  // bytes
    int samples = 0;  // per channel
    int sideInfo = 0; // bytes after the header (and CRC)
};

// False when the four bytes are no layer III header.
inline bool ParseHeader(const uint8_t* h, FrameHeader& f)
{
    static const int kRates[3][3] = {
        {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
    static const int kBitrates[2][15] = {
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0 || ((h[1] >> 1) & 3) != 1) return false;
    const int versionBits = (h[1] >> 3) & 3; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const int bitrateIndex = h[2] >> 4, rateIndex = (h[2] >> 2) & 3;
    if (versionBits == 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return false;
    const int family = versionBits == 3 ? 0 : versionBits == 2 ? 1 : 2;
    f.version = family == 0 ? 10 : family == 1 ? 20 : 25;
    f.bitrate = kBitrates[family == 0 ? 0 : 1][bitrateIndex];
    f.sampleRate = kRates[family][rateIndex];
    f.crc = (h[1] & 1) == 0;
    f.padding = (h[2] >> 1) & 1;
    f.privateBit = h[2] & 1;
    f.mode = h[3] >> 6;
    f.copyright = (h[3] >> 3) & 1;
    f.original = (h[3] >> 2) & 1;
    f.emphasis = h[3] & 3;
    f.samples = family == 0 ? 1152 : 576;
    f.size = static_cast<size_t>(f.samples) / 8 * f.bitrate * 1000 / f.sampleRate + f.padding;
    const bool mono = f.mode == 3;
    f.sideInfo = family == 0 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    return true;
}

struct FrameWalk {
    std::vector<FrameHeader> frames;
    std::vector<size_t> offsets;
    size_t end = 0;     // where the walk stopped
    bool whole = false; // it stopped exactly at the end of the range
};

// Walks frame after frame from `start` up to `stop` (the file's end by default).
inline FrameWalk WalkFrames(const std::vector<uint8_t>& b, size_t start = 0, size_t stop = SIZE_MAX)
{
    FrameWalk w;
    stop = std::min(stop, b.size());
    size_t at = start;
    FrameHeader f;
    while (at + 4 <= stop && ParseHeader(&b[at], f) && at + f.size <= stop) {
        w.frames.push_back(f);
        w.offsets.push_back(at);
        at += f.size;
    }
    w.end = at;
    w.whole = at == stop;
    return w;
}

// CRC-16 of the LAME tag (polynomial 0x8005, reflected, starting at 0).
inline uint16_t LameCrc(const uint8_t* data, size_t size)
{
    uint16_t crc = 0;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

struct XingHeader {
    bool found = false;
    std::string kind; // "Xing" (variable bitrate) or "Info" (constant)
    uint32_t flags = 0;
    uint32_t frames = 0; // audio frames after the header frame
    uint32_t bytes = 0;  // the stream's bytes, the header frame included
    bool lame = false;
    std::string encoder; // "LAME3.100" and the like
    int delay = 0;       // samples the encoder put before the audio
    int padding = 0;     // samples after it
    uint32_t musicLength = 0;
    bool crcValid = false;
};

inline uint32_t Be32(const uint8_t* p)
{
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// The Xing/LAME header in the frame at `start`.
inline XingHeader ReadXing(const std::vector<uint8_t>& b, size_t start = 0)
{
    XingHeader x;
    FrameHeader f;
    if (start + 4 > b.size() || !ParseHeader(&b[start], f) || start + f.size > b.size()) return x;
    const size_t at = start + 4 + (f.crc ? 2 : 0) + static_cast<size_t>(f.sideInfo);
    if (at + 156 > start + f.size) return x;
    x.kind.assign(reinterpret_cast<const char*>(&b[at]), 4);
    if (x.kind != "Xing" && x.kind != "Info") return x;
    x.found = true;
    x.flags = Be32(&b[at + 4]);
    size_t field = at + 8;
    if (x.flags & 1) x.frames = Be32(&b[field]), field += 4;
    if (x.flags & 2) x.bytes = Be32(&b[field]), field += 4;
    if (x.flags & 4) field += 100;
    if (x.flags & 8) field += 4;
    const size_t lame = field;
    if (lame + 36 > start + f.size) return x;
    x.encoder.assign(reinterpret_cast<const char*>(&b[lame]), 9);
    x.lame = x.encoder.rfind("LAME", 0) == 0;
    x.delay = b[lame + 21] << 4 | b[lame + 22] >> 4;
    x.padding = (b[lame + 22] & 0x0F) << 8 | b[lame + 23];
    x.musicLength = Be32(&b[lame + 28]);
    const uint16_t stored = static_cast<uint16_t>(b[lame + 34] << 8 | b[lame + 35]);
    x.crcValid = LameCrc(&b[start], lame + 34 - start) == stored;
    return x;
}

} // namespace mp3test
