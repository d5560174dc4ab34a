// The disc's table of contents turned into track records, and the time text of a length.
#pragma once

#include "TrackList.h"
#include "TrackRecord.h"

#include "Veltrarip32.h"

#include <string>
#include <vector>

// The records of every listed track of a TOC read with frame addresses, in TOC order; tracks of
// length 0 are left out. Writes the "Set lastAudioFrame to %d" trace lines.
std::vector<TrackRecord> BuildTrackRecords(const CDTocRecord& toc);

// "mm:ss" of a frame count; hours are dropped.
std::string TimeText(uint32_t frames);
