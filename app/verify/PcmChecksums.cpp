#include "PcmChecksums.h"

#include <zlib.h>

#include <algorithm>

namespace verify
{

namespace
{

// zlib takes lengths as unsigned int.
uint32_t Crc(uint32_t crc, const uint8_t* bytes, size_t count)
{
    while (count > 0) {
        const uInt n = static_cast<uInt>(std::min<size_t>(count, 1u << 30));
        crc = static_cast<uint32_t>(::crc32(crc, bytes, n));
        bytes += n;
        count -= n;
    }
    return crc;
}

} // namespace

PcmChecksums::PcmChecksums(uint64_t samples, bool firstAudioTrack, bool lastAudioTrack)
    : expected_(samples), from_(firstAudioTrack ? kAccurateRipSkipFront + 1 : 1),
      to_(static_cast<int64_t>(samples) - (lastAudioTrack ? kAccurateRipSkipBack : 0))
{
}

void PcmChecksums::AddSample(uint32_t sample)
{
    const int64_t multiplier = static_cast<int64_t>(++seen_);
    if (multiplier < from_ || multiplier > to_) return;
    const uint64_t product = static_cast<uint64_t>(sample) * static_cast<uint64_t>(multiplier);
    v1_ += static_cast<uint32_t>(product);
    v2_ += static_cast<uint32_t>(product) + static_cast<uint32_t>(product >> 32);
}

// The null-sample CRC runs over whole 16-bit words; runs of non-zero words go to zlib at once.
void PcmChecksums::AddWords(const uint8_t* bytes, size_t count)
{
    size_t run = 0;
    for (size_t i = 0; i + 1 < count; i += 2) {
        if (bytes[i] == 0 && bytes[i + 1] == 0) {
            if (i > run) crcNoNull_ = Crc(crcNoNull_, bytes + run, i - run);
            run = i + 2;
        }
    }
    const size_t end = count & ~size_t{1};
    if (end > run) crcNoNull_ = Crc(crcNoNull_, bytes + run, end - run);
}

void PcmChecksums::Add(const uint8_t* bytes, size_t count)
{
    if (!bytes || count == 0) return;
    crc_ = Crc(crc_, bytes, count);

    // Finish a sample (and a 16-bit word) that the previous piece began.
    while (pending_ > 0 && count > 0) {
        partial_[pending_++] = *bytes++;
        --count;
        if (pending_ == 2 || pending_ == 4) AddWords(partial_ + pending_ - 2, 2);
        if (pending_ == 4) {
            AddSample(uint32_t{partial_[0]} | uint32_t{partial_[1]} << 8 |
                      uint32_t{partial_[2]} << 16 | uint32_t{partial_[3]} << 24);
            pending_ = 0;
        }
    }
    const size_t whole = count & ~size_t{3};
    AddWords(bytes, whole);
    for (size_t i = 0; i < whole; i += 4)
        AddSample(uint32_t{bytes[i]} | uint32_t{bytes[i + 1]} << 8 | uint32_t{bytes[i + 2]} << 16 |
                  uint32_t{bytes[i + 3]} << 24);
    for (size_t i = whole; i < count; ++i) {
        partial_[pending_++] = bytes[i];
        if (pending_ == 2) AddWords(partial_, 2);
    }
}

} // namespace verify
