// The options every rip sets on its stream: the tag texts, the MP3 and Vorbis settings and the
// output path. The rip job and the MP3 benchmark both use it, so the benchmark measures what
// ships.
#pragma once

#include "app/cd/TrackRecord.h"

#include <string>

struct StreamTarget {
    std::string outputFolder;
    bool noWrite = false;
    std::string fileDir{};  // folders below the output folder, "" for none
    std::string fileName{}; // "" for the track's name
};

void ApplyStreamOptions(int stream, const TrackRecord& track, const StreamTarget& target);
