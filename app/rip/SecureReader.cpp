#include "SecureReader.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace
{

constexpr uint32_t kSamplesPerFrame = CD_FRAME_BYTES / 4;
// A drive's cache holds a few MB at most: reading this far away refills it elsewhere.
constexpr uint32_t kFarFrames = 10000;
constexpr int kTriesPerRead = 4;

bool Flagged(const std::vector<uint8_t>& c2, size_t sample)
{
    // Four bytes of a sample lie in one half of a C2 byte.
    const uint8_t bits = c2[sample / 2];
    return (sample % 2 == 0 ? bits & 0xF0 : bits & 0x0F) != 0;
}

} // namespace

SecureReader::SecureReader(CDHANDLE drive, int32_t readOffset)
    : drive_(drive), readOffset_(readOffset)
{
}

void SecureReader::DefeatCache(uint32_t start, uint32_t count)
{
    // One frame far before the stretch, or far after it near the disc's start.
    far_.assign(sizeof(CDSectorHeader) + CD_FRAME_BYTES, 0);
    auto* h = reinterpret_cast<CDSectorHeader*>(far_.data());
    h->bufferLength = CD_FRAME_BYTES;
    h->startFrame = start >= kFarFrames ? start - kFarFrames : start + count + kFarFrames;
    h->frameCount = 1;
    // Past the disc's end the drive refuses: a seek all the same, and nothing to keep.
    ReadCDAudioLBA(drive_, h);
}

uint32_t SecureReader::ReadOnce(uint32_t start, uint32_t count, int n)
{
    if (n > 0) DefeatCache(start, count);
    const size_t bytes = size_t{count} * CD_FRAME_BYTES;
    data_[n].resize(sizeof(CDSectorHeader) + bytes);
    auto* h = reinterpret_cast<CDSectorHeader*>(data_[n].data());
    c2_[n].assign(size_t{count} * CD_C2_BYTES, 0);
    uint32_t status = CD_STATUS_ERROR;
    for (int t = 0; t < kTriesPerRead; ++t) {
        *h = CDSectorHeader{};
        h->bufferLength = static_cast<uint32_t>(bytes);
        h->startFrame = start;
        h->frameCount = count;
        status = ReadCDAudioLBAC2(drive_, h, c2_[n].data(), static_cast<uint32_t>(c2_[n].size()));
        if (status == CD_STATUS_OK || status == CD_STATUS_NO_C2) break;
        if (status != CD_STATUS_RETRY) return status;
    }
    if (status != CD_STATUS_OK && status != CD_STATUS_NO_C2) return status;
    if (h->frameCount != count || h->bytesReturned != bytes ||
        uint64_t{h->dataOffset} + bytes > h->bufferLength)
        return CD_STATUS_ERROR;
    ++reads_;
    start_[n] = sizeof(CDSectorHeader) + h->dataOffset;
    hasC2_[n] = std::any_of(c2_[n].begin(), c2_[n].end(), [](uint8_t b) { return b != 0; });
    return CD_STATUS_OK;
}

uint32_t SecureReader::Read(uint32_t start, uint32_t count, uint8_t* out)
{
    data_.resize(kMaxReads);
    start_.assign(kMaxReads, sizeof(CDSectorHeader));
    c2_.resize(kMaxReads);
    hasC2_.assign(kMaxReads, 0);
    const size_t samples = size_t{count} * kSamplesPerFrame;
    std::vector<uint8_t> settled(samples, 0);
    size_t open = samples;
    int n = 0;
    auto sample = [&](int r, size_t i) {
        uint32_t v;
        std::memcpy(&v, data_[r].data() + start_[r] + i * 4, 4);
        return v;
    };
    while (open > 0 && n < kMaxReads) {
        if (const uint32_t status = ReadOnce(start, count, n); status != CD_STATUS_OK)
            return status;
        ++n;
        if (n == 3) ++reread_;
        // The new read settles a sample where it agrees with an earlier read, neither of them
        // flagged by C2.
        const int r = n - 1;
        // Most stretches: two reads alike from end to end, no C2 errors.
        const size_t bytes = samples * 4;
        if (r == 1 && !hasC2_[0] && !hasC2_[1] &&
            std::memcmp(data_[0].data() + start_[0], data_[1].data() + start_[1], bytes) == 0) {
            std::memcpy(out, data_[1].data() + start_[1], bytes);
            open = 0;
            break;
        }
        for (size_t i = 0; i < samples && r > 0; ++i) {
            if (settled[i] || (hasC2_[r] && Flagged(c2_[r], i))) continue;
            const uint32_t v = sample(r, i);
            for (int k = 0; k < r; ++k) {
                if (sample(k, i) != v || (hasC2_[k] && Flagged(c2_[k], i))) continue;
                settled[i] = 1;
                std::memcpy(out + i * 4, &v, 4);
                --open;
                break;
            }
        }
    }
    if (open == 0) return CD_STATUS_OK;
    // The most frequent value of each unsettled sample; among equals the first read's.
    // Drive frame F holds the disc's samples from 588 F - offset on; a frame before 0 (asked
    // for when overreading) comes as a wrapped start.
    const int64_t base =
        int64_t{static_cast<int32_t>(start)} * kSamplesPerFrame - int64_t{readOffset_};
    for (size_t i = 0; i < samples; ++i) {
        if (settled[i]) continue;
        std::map<uint32_t, int> votes;
        uint32_t best = sample(0, i);
        int bestVotes = 0;
        for (int k = 0; k < n; ++k) {
            const int v = ++votes[sample(k, i)];
            if (v > bestVotes) {
                bestVotes = v;
                best = sample(k, i);
            }
        }
        std::memcpy(out + i * 4, &best, 4);
        ++suspiciousCount_;
        const uint64_t at = static_cast<uint64_t>(std::max<int64_t>(0, base + int64_t(i)));
        if (!suspicious_.empty() && suspicious_.back().last + 1 == at)
            suspicious_.back().last = at;
        else if (suspicious_.size() < kMaxRuns)
            suspicious_.push_back({at, at});
    }
    return CD_STATUS_OK;
}
