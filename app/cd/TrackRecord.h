// One listed track, as the track list holds it and the rip job consumes it.
#pragma once

#include <cstdint>

constexpr int kTrackNameSize = 324;

struct TrackRecord {
    char name[kTrackNameSize];
    uint32_t startFrame;
    uint32_t length;   // frames
    int32_t ripFlag;   // set by the rip command; the job then names the file after the track
    int32_t rowNumber; // 1-based row position, set by the rip command
    int32_t dataTrack; // 1 for a data track (no audio), from the TOC
};
