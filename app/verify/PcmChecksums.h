// The checksums of one track's PCM, fed piece by piece as the audio flows to the encoder:
// AccurateRip v1 and v2, the CRC32 of all bytes and the CRC32 of the 16-bit samples that are
// not zero (the "copy CRC without null samples").
#pragma once

#include "CdAudio.h"
#include "PcmKernels.h"

#include <cstddef>
#include <cstdint>

namespace verify
{

// AccurateRip leaves out the disc's first 5 frames less one sample and its last 5 frames,
// where drives with different read offsets see different audio.
constexpr int64_t kAccurateRipSkipFront = 5 * CD_SAMPLES_PER_FRAME - 1;
constexpr int64_t kAccurateRipSkipBack = 5 * CD_SAMPLES_PER_FRAME;

class PcmChecksums
{
public:
    // samples: the track's length in stereo samples; firstAudioTrack/lastAudioTrack: whether
    // the track is the disc's first or last audio track (a single track is both).
    // path: which form of the inner loops to run (tests force each); all give the same sums.
    PcmChecksums(uint64_t samples, bool firstAudioTrack, bool lastAudioTrack,
                 pcm::Path path = pcm::Fastest());

    // 16-bit little-endian stereo PCM; a piece may end inside a sample.
    void Add(const uint8_t* bytes, size_t count);

    uint64_t expectedSamples() const { return expected_; }
    uint64_t samplesSeen() const { return seen_; }
    // Exactly the track's samples arrived: the checksums describe the whole track.
    bool complete() const { return seen_ == expected_ && pending_ == 0; }

    uint32_t accurateRipV1() const { return v1_; }
    uint32_t accurateRipV2() const { return v2_; }
    uint32_t crc32() const { return crc_; }
    uint32_t crc32WithoutNullSamples() const
    {
        return kernels_->crc32(crcNoNull_, carry_, carryLength_);
    }

private:
    void AddSamples(const uint8_t* bytes, size_t samples);
    void AddWord(const uint8_t* word);

    const pcm::Kernels* kernels_;
    uint64_t expected_;
    int64_t from_; // first multiplier counted, 1-based
    int64_t to_;   // last multiplier counted
    uint64_t seen_ = 0;
    uint32_t v1_ = 0;
    uint32_t v2_ = 0;
    uint32_t crc_ = 0;
    uint32_t crcNoNull_ = 0;
    // The kept words not yet in crcNoNull_: whole 64-byte runs fold faster than a ragged end.
    uint8_t carry_[64] = {};
    size_t carryLength_ = 0;
    uint8_t partial_[4] = {};
    size_t pending_ = 0; // bytes of an unfinished sample in partial_
};

} // namespace verify
