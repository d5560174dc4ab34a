// One opened drive or disc image: the table of contents, raw frame reads, simulated faults and
// the overlapped read that realigns jittered data on a reference frame.
#pragma once

#include "FaultPlan.h"

#include "Veltrarip32.h"

#include <cdio/cdio.h>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace rip32
{

class Disc
{
public:
    // Null when the source does not open (missing or malformed image, no such device).
    static std::unique_ptr<Disc> Open(const std::string& source, bool image);
    ~Disc();
    Disc(const Disc&) = delete;
    Disc& operator=(const Disc&) = delete;

    void SetParameter(uint32_t parameter, uint32_t value);
    uint32_t ReadToc(CDTocRecord& toc);
    uint32_t ReadPlain(CDSectorHeader& buffer);
    uint32_t ReadOverlapped(CDSectorHeader& buffer, const CDSectorHeader* reference);

private:
    Disc() = default;
    // The data file's size in bytes; -1 when it cannot be told.
    int64_t DataFileSize() const;
    // Reads the frames of [first, first + count) into out; frames off the disc read as zeros.
    bool ReadFrames(int64_t first, uint32_t count, uint8_t* out);
    // Reads size bytes of the disc's byte stream from byte position pos.
    bool ReadBytes(int64_t pos, size_t size, uint8_t* out);
    static bool Fits(const CDSectorHeader& buffer);
    bool OnDisc(uint32_t first, uint32_t count);
    static void Delay(const FaultPlan::Outcome& fault);

    std::mutex mutex_;
    CdIo_t* cdio_ = nullptr;
    FaultPlan faults_;
    uint32_t addressForm_ = 0;
    uint32_t checkFrames_ = 3;
    uint32_t overlapFrames_ = 1;
    uint32_t jitterMode_ = 2;
    bool image_ = false;
    std::string dataFile_; // the data file of a cue image, for its size
    int dataFd_ = -1;      // dataFile_ opened once, so a read looks up no path
    std::vector<uint8_t> scratch_;
    std::vector<uint8_t> frames_;
};

} // namespace rip32
