#include "FlacHead.h"

#include <cstring>

namespace flacenc
{

namespace
{

constexpr size_t kMarkerBytes = 4; // "fLaC"
constexpr size_t kBlockHeaderBytes = 4;
constexpr size_t kStreamInfoBytes = 34;
constexpr size_t kSeekPointBytes = 18;
constexpr uint8_t kLastBlock = 0x80;

void PutBigEndian(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutBlockHeader(std::vector<uint8_t>& out, uint8_t type, bool last, size_t length)
{
    out.push_back(static_cast<uint8_t>(type | (last ? kLastBlock : 0)));
    PutBigEndian(out, length, 3);
}

} // namespace

std::vector<uint8_t> StreamInfoBody(const FLAC__StreamMetadata_StreamInfo& info)
{
    std::vector<uint8_t> out;
    PutBigEndian(out, info.min_blocksize, 2);
    PutBigEndian(out, info.max_blocksize, 2);
    PutBigEndian(out, info.min_framesize, 3);
    PutBigEndian(out, info.max_framesize, 3);
    // 20 bits of rate, 3 of channels - 1, 5 of bits per sample - 1, 36 of total samples.
    const uint64_t packed = uint64_t{info.sample_rate} << 44 | uint64_t{info.channels - 1} << 41 |
                            uint64_t{info.bits_per_sample - 1} << 36 |
                            (info.total_samples & 0xFFFFFFFFFull);
    PutBigEndian(out, packed, 8);
    out.insert(out.end(), info.md5sum, info.md5sum + 16);
    return out;
}

std::vector<FrameMark> SeekPoints(const std::vector<FrameMark>& frames, uint64_t totalSamples,
                                  uint64_t spacing)
{
    std::vector<FrameMark> points;
    size_t f = 0;
    for (uint64_t target = 0; target < totalSamples && !frames.empty(); target += spacing) {
        while (f + 1 < frames.size() && frames[f + 1].sample <= target)
            ++f;
        if (points.empty() || points.back().sample != frames[f].sample) points.push_back(frames[f]);
    }
    return points;
}

std::vector<uint8_t> CompleteHead(const std::vector<uint8_t>& head,
                                  const std::vector<uint8_t>& streamInfo,
                                  std::vector<FrameMark> points)
{
    if (head.size() < kMarkerBytes || std::memcmp(head.data(), "fLaC", kMarkerBytes) != 0 ||
        streamInfo.size() != kStreamInfoBytes)
        return {};
    std::vector<uint8_t> out(head.begin(), head.begin() + kMarkerBytes);
    size_t at = kMarkerBytes;
    bool last = false;
    while (!last) {
        if (at + kBlockHeaderBytes > head.size()) return {};
        last = (head[at] & kLastBlock) != 0;
        const uint8_t type = head[at] & 0x7F;
        const size_t length = size_t{head[at + 1]} << 16 | size_t{head[at + 2]} << 8 | head[at + 3];
        const size_t body = at + kBlockHeaderBytes;
        if (body + length > head.size()) return {};
        if (type == FLAC__METADATA_TYPE_STREAMINFO && length == kStreamInfoBytes) {
            PutBlockHeader(out, type, last, length);
            out.insert(out.end(), streamInfo.begin(), streamInfo.end());
        } else if (type == FLAC__METADATA_TYPE_PADDING) {
            // The seek table and its header come out of the padding; a padding block of no
            // bytes still stands, as its header keeps the head's size.
            // Too many points for the room: every second one goes, the first always stays.
            while (points.size() > 1 &&
                   points.size() * kSeekPointBytes + kBlockHeaderBytes > length)
                for (size_t i = 1; i < points.size(); ++i)
                    points.erase(points.begin() + static_cast<long>(i));
            if (!points.empty() && points.size() * kSeekPointBytes + kBlockHeaderBytes > length)
                points.clear();
            size_t padding = length;
            if (!points.empty()) {
                const size_t table = points.size() * kSeekPointBytes;
                PutBlockHeader(out, FLAC__METADATA_TYPE_SEEKTABLE, false, table);
                for (const FrameMark& p : points) {
                    PutBigEndian(out, p.sample, 8);
                    PutBigEndian(out, p.offset, 8);
                    PutBigEndian(out, p.samples, 2);
                }
                padding -= table + kBlockHeaderBytes;
            }
            PutBlockHeader(out, type, last, padding);
            out.insert(out.end(), padding, 0);
        } else {
            out.insert(out.end(), head.begin() + static_cast<long>(at),
                       head.begin() + static_cast<long>(body + length));
        }
        at = body + length;
    }
    if (at != head.size() || out.size() != head.size()) return {};
    return out;
}

} // namespace flacenc
