#include "PcmChecksums.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace verify
{

namespace
{

// Bytes checksummed at once: the block stays in the L1 cache between the passes over it.
constexpr size_t kBlock = 8192;

} // namespace

PcmChecksums::PcmChecksums(uint64_t samples, bool firstAudioTrack, bool lastAudioTrack,
                           pcm::Path path)
    : kernels_(&pcm::KernelsFor(path)), expected_(samples),
      from_(firstAudioTrack ? kAccurateRipSkipFront + 1 : 1),
      to_(static_cast<int64_t>(samples) - (lastAudioTrack ? kAccurateRipSkipBack : 0))
{
}

// Only the multipliers within [from_, to_] count, so the kernel sees just that stretch.
void PcmChecksums::AddSamples(const uint8_t* bytes, size_t samples)
{
    const int64_t first = static_cast<int64_t>(seen_) + 1;
    seen_ += samples;
    const int64_t begin = std::max(first, from_);
    const int64_t end = std::min(first + static_cast<int64_t>(samples) - 1, to_);
    if (begin > end) return;
    const uint8_t* p = bytes + 4 * (begin - first);
    const size_t n = static_cast<size_t>(end - begin + 1);
    pcm::ArSums sums;
    if (end <= std::numeric_limits<uint32_t>::max()) {
        kernels_->accurateRip(p, n, static_cast<uint32_t>(begin), sums);
    } else {
        // Longer than any disc; kept exact all the same.
        for (size_t i = 0; i < n; ++i) {
            const uint64_t sample = uint64_t{p[4 * i]} | uint64_t{p[4 * i + 1]} << 8 |
                                    uint64_t{p[4 * i + 2]} << 16 | uint64_t{p[4 * i + 3]} << 24;
            const uint64_t product = sample * static_cast<uint64_t>(begin + int64_t(i));
            sums.low += static_cast<uint32_t>(product);
            sums.high += static_cast<uint32_t>(product >> 32);
        }
    }
    v1_ += sums.low;
    v2_ += sums.low + sums.high;
}

void PcmChecksums::AddWord(const uint8_t* word)
{
    if (word[0] == 0 && word[1] == 0) return;
    if (carryLength_ + 2 > sizeof carry_) {
        crcNoNull_ = kernels_->crc32(crcNoNull_, carry_, carryLength_);
        carryLength_ = 0;
    }
    carry_[carryLength_++] = word[0];
    carry_[carryLength_++] = word[1];
}

void PcmChecksums::Add(const uint8_t* bytes, size_t count)
{
    if (!bytes || count == 0) return;

    // Finish a sample (and a 16-bit word) that the previous piece began.
    size_t head = 0;
    while (pending_ > 0 && head < count) {
        partial_[pending_++] = bytes[head++];
        if (pending_ == 2 || pending_ == 4) AddWord(partial_ + pending_ - 2);
        if (pending_ == 4) {
            AddSamples(partial_, 1);
            pending_ = 0;
        }
    }
    crc_ = kernels_->crc32(crc_, bytes, head);
    bytes += head;
    count -= head;

    const size_t whole = count & ~size_t{3};
    alignas(64) uint8_t kept[sizeof carry_ + kBlock + 64];
    for (size_t pos = 0; pos < whole; pos += kBlock) {
        const uint8_t* block = bytes + pos;
        const size_t n = std::min(kBlock, whole - pos);
        crc_ = kernels_->crc32(crc_, block, n);
        AddSamples(block, n / 4);
        std::memcpy(kept, carry_, carryLength_);
        const size_t k = carryLength_ + kernels_->dropNullWords(block, n / 2, kept + carryLength_);
        const size_t folded = k & ~size_t{63};
        crcNoNull_ = kernels_->crc32(crcNoNull_, kept, folded);
        carryLength_ = k - folded;
        std::memcpy(carry_, kept + folded, carryLength_);
    }

    crc_ = kernels_->crc32(crc_, bytes + whole, count - whole);
    for (size_t i = whole; i < count; ++i) {
        partial_[pending_++] = bytes[i];
        if (pending_ == 2) AddWord(partial_);
    }
}

} // namespace verify
