// How the console ripper names what secure mode could not settle: runs of suspicious samples as
// track times in the h:mm:ss form rip logs use, with the sample offset into the track.
#pragma once

#include "app/rip/SecureReader.h"

#include <cstdint>
#include <string>
#include <vector>

// "0:01:23 (sample 3660300)" for one sample of the track.
std::string TrackTimeText(uint64_t trackSample);

// Runs of suspicious disc samples as track positions: "0:00:01 (sample 44100)" or
// "0:00:01 (sample 44100) to 0:00:02 (sample 88199)". At most maxRuns runs, then "…".
std::string SuspiciousText(const std::vector<SecureReader::Run>& runs, uint32_t trackStartFrame,
                           size_t maxRuns = 20);
