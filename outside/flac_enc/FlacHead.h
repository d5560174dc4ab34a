// The head of a FLAC file ("fLaC" and the metadata blocks before the first frame) completed at
// the end of a stream: the final STREAMINFO and a seek table carved out of the padding.
#pragma once

#include <FLAC/format.h>

#include <cstdint>
#include <vector>

namespace flacenc
{

// One frame as written: its first sample, its offset after the head, its sample count.
struct FrameMark {
    uint64_t sample;
    uint64_t offset;
    uint32_t samples;
};

// The 34 bytes of a STREAMINFO block's body.
std::vector<uint8_t> StreamInfoBody(const FLAC__StreamMetadata_StreamInfo& info);

// Seek points every `spacing` samples: each the frame holding that sample, no duplicates.
std::vector<FrameMark> SeekPoints(const std::vector<FrameMark>& frames, uint64_t totalSamples,
                                  uint64_t spacing);

// The head as first written with the STREAMINFO body replaced and the padding block split into
// a seek table and a smaller padding block; points are thinned out until they fit. The result
// has the size of `head`; empty when the head is not one this back-end wrote.
std::vector<uint8_t> CompleteHead(const std::vector<uint8_t>& head,
                                  const std::vector<uint8_t>& streamInfo,
                                  std::vector<FrameMark> points);

} // namespace flacenc
