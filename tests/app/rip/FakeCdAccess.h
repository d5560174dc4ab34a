// A scripted stand-in for the CD-access exports, compiled into the thread tests: each read call
// takes the next scripted status, records what it was asked, and delivers the test pattern.
#pragma once

#include "Veltrarip32.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace fakecd
{

struct Call {
    bool overlapped;
    uint32_t startFrame;
    uint32_t frameCount;
    // The reference buffer's header as the reader prepared it (overlapped reads only).
    CDSectorHeader reference;
};

// Statuses for the coming reads, in order; once used up every read succeeds.
void Script(std::vector<uint32_t> statuses);
std::vector<Call> Calls();
void Reset();

} // namespace fakecd
