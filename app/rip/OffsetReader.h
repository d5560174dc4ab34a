// Read-offset correction for the reader: which of the drive's frames to read so that a track
// gets the disc's audio from its first sample to its last, and which bytes of them to keep.
// A drive with read offset N delivers, for frame F, the disc's samples from 588 F - N on; the
// track's samples [588 S, 588 E) therefore come from the drive's [588 S + N, 588 E + N).
// Frames outside the disc are not asked for (zeros stand in for them) unless the drive may
// overread into the lead-in and lead-out.
#pragma once

#include <cstddef>
#include <cstdint>

struct OffsetRequest {
    int64_t frame = 0;    // first drive frame; before 0 lies the lead-in
    uint32_t count = 0;   // frames
    bool outside = false; // every frame lies outside the disc (before 0 or from the lead-out)
};

struct KeptBytes {
    size_t from = 0;   // into the request's count x 2352 bytes
    size_t length = 0; // bytes that belong to the track
};

class OffsetReader
{
public:
    // trackStart and trackFrames in frames; discEnd is the first frame after the disc's audio;
    // offset in samples, as the drive-offset table counts it.
    OffsetReader(uint32_t trackStart, uint32_t trackFrames, uint32_t discEnd, int32_t offset);

    bool done() const { return next_ >= end_; }
    // The next request of at most maxFrames frames; it never mixes frames on and off the disc.
    OffsetRequest Next(uint32_t maxFrames) const;
    // The request was read (or, with `zeroFilled`, stands as zeros): the part of its bytes that
    // belongs to the track. Advances past the request.
    KeptBytes Keep(const OffsetRequest& request, bool zeroFilled);

    // Track samples that were filled with zeros before the track's first sample and after it.
    uint64_t zeroSamplesFront() const { return zeroFront_; }
    uint64_t zeroSamplesBack() const { return zeroBack_; }
    // Track samples that lie outside the disc as the drive sees it: zeros unless it overreads.
    uint64_t outsideSamples() const;

private:
    int64_t firstSample_; // drive sample of the track's first sample
    int64_t endSample_;   // drive sample after the track's last
    int64_t discEndSample_;
    int64_t next_; // next drive frame
    int64_t end_;  // drive frame after the last one needed
    uint64_t zeroFront_ = 0;
    uint64_t zeroBack_ = 0;
};
