#include "FileChecksum.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace verify
{

namespace
{

constexpr size_t kId3HeaderBytes = 10;
constexpr size_t kId3v1Bytes = 128;
constexpr size_t kOggHeaderBytes = 27;
constexpr size_t kStreamInfoMd5Offset = 8 + 18; // "fLaC", block header, then 18 bytes of fields
constexpr size_t kMd5Bytes = 16;

std::string Hex(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

uint32_t Crc(const std::string& bytes, size_t from, size_t to)
{
    uLong crc = ::crc32(0L, Z_NULL, 0);
    // zlib takes at most a uInt at a time.
    constexpr size_t kChunk = 1u << 30;
    for (size_t at = from; at < to; at += std::min(kChunk, to - at))
        crc = ::crc32(crc, reinterpret_cast<const Bytef*>(bytes.data() + at),
                      static_cast<uInt>(std::min(kChunk, to - at)));
    return static_cast<uint32_t>(crc);
}

uint32_t Le32(const std::string& b, size_t at)
{
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
           static_cast<uint8_t>(b[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

// The data chunk of a RIFF WAVE file.
bool WavChecksum(const std::string& b, std::string& sum, std::string& error)
{
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) {
        error = "not a WAV file";
        return false;
    }
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint32_t size = Le32(b, at + 4);
        if (b.compare(at, 4, "data") == 0) {
            const size_t end = std::min(b.size(), at + 8 + size_t{size});
            sum = PcmCrcChecksum(Crc(b, at + 8, end));
            return true;
        }
        at += 8 + size_t{size} + (size & 1);
    }
    error = "a WAV file without a data chunk";
    return false;
}

bool FlacChecksum(const std::string& b, std::string& sum, std::string& error)
{
    // STREAMINFO is always the first metadata block, type 0.
    if (b.size() < kStreamInfoMd5Offset + kMd5Bytes || b.compare(0, 4, "fLaC") != 0 ||
        (static_cast<uint8_t>(b[4]) & 0x7F) != 0) {
        error = "not a FLAC file";
        return false;
    }
    sum = "FLAC MD5 ";
    for (size_t i = 0; i < kMd5Bytes; ++i) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", static_cast<uint8_t>(b[kStreamInfoMd5Offset + i]));
        sum += two;
    }
    return true;
}

bool Mp3Checksum(const std::string& b, std::string& sum, std::string&)
{
    size_t from = 0;
    // ID3v2 tags at the front, each with its syncsafe size (and a footer when flagged).
    while (b.size() >= from + kId3HeaderBytes && b.compare(from, 3, "ID3") == 0) {
        size_t size = 0;
        for (int i = 6; i < 10; ++i)
            size = size << 7 | (static_cast<uint8_t>(b[from + i]) & 0x7F);
        const bool footer = (static_cast<uint8_t>(b[from + 5]) & 0x10) != 0;
        from = std::min(b.size(), from + kId3HeaderBytes + size + (footer ? kId3HeaderBytes : 0));
    }
    size_t to = b.size();
    if (to >= from + kId3v1Bytes && b.compare(to - kId3v1Bytes, 3, "TAG") == 0) to -= kId3v1Bytes;
    sum = "audio CRC32 " + Hex(Crc(b, from, to));
    return true;
}

// The bodies of the pages after the header packets (Vorbis 3, Opus 2), which both formats end
// on a page of their own; a tag rewrite may re-page the headers and renumber the pages after
// them, so page headers are left out.
bool OggChecksum(const std::string& b, std::string& sum, std::string& error)
{
    uLong crc = ::crc32(0L, Z_NULL, 0);
    int headers = -1; // header packets still to pass; -1 before the first packet is seen
    for (size_t at = 0; at < b.size();) {
        if (b.size() < at + kOggHeaderBytes || b.compare(at, 4, "OggS") != 0) {
            error = "not an Ogg file, or a damaged one";
            return false;
        }
        const size_t segments = static_cast<uint8_t>(b[at + 26]);
        const size_t table = at + kOggHeaderBytes;
        if (b.size() < table + segments) break;
        size_t body = 0, ended = 0;
        for (size_t i = 0; i < segments; ++i) {
            const uint8_t lace = static_cast<uint8_t>(b[table + i]);
            body += lace;
            if (lace < 255) ++ended;
        }
        const size_t start = table + segments;
        if (b.size() < start + body) {
            error = "a cut Ogg page";
            return false;
        }
        if (headers < 0) {
            if (b.compare(start, 7, "\x01vorbis") == 0)
                headers = 3;
            else if (b.compare(start, 8, "OpusHead") == 0)
                headers = 2;
            else {
                error = "an Ogg file of neither Vorbis nor Opus";
                return false;
            }
        }
        if (headers == 0) {
            crc = ::crc32(crc, reinterpret_cast<const Bytef*>(b.data() + start),
                          static_cast<uInt>(body));
        } else {
            headers = ended >= static_cast<size_t>(headers) ? 0 : headers - static_cast<int>(ended);
        }
        at = start + body;
    }
    if (headers < 0) {
        error = "an empty Ogg file";
        return false;
    }
    sum = "audio CRC32 " + Hex(static_cast<uint32_t>(crc));
    return true;
}

} // namespace

std::string PcmCrcChecksum(uint32_t crc32)
{
    return "PCM CRC32 " + Hex(crc32);
}

std::string FileChecksum(const std::string& path, std::string& error)
{
    const size_t dot = path.find_last_of('.');
    std::string ext = dot == std::string::npos ? std::string() : path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot be read";
        return {};
    }
    const std::string b((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::string sum;
    bool ok = false;
    if (ext == "wav")
        ok = WavChecksum(b, sum, error);
    else if (ext == "flac")
        ok = FlacChecksum(b, sum, error);
    else if (ext == "mp3")
        ok = Mp3Checksum(b, sum, error);
    else if (ext == "ogg" || ext == "opus")
        ok = OggChecksum(b, sum, error);
    else
        error = "a file of a kind without a checksum";
    return ok ? sum : std::string();
}

} // namespace verify
