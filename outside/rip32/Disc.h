// One opened drive or disc image: the table of contents (read afresh for a new disc), raw frame
// reads, the simulated drive of the fault file and the overlapped read that realigns jittered
// data on a reference frame.
#pragma once

#include "CueImage.h"
#include "DiscText.h"
#include "FaultPlan.h"
#include "FileStamp.h"
#include "ReadRetry.h"

#include "Veltrarip32.h"

#include <cdio/cdio.h>
#include <cstdint>
#include <cstdio>
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
    // A plain read that also fills c2 (frameCount x CD_C2_BYTES) with the drive's C2 error
    // pointers; CD_STATUS_NO_C2 when the audio came without them.
    uint32_t ReadWithC2(CDSectorHeader& buffer, uint8_t* c2);
    // The drive's vendor and model; false when the drive does not say.
    bool Identify(CDDriveInquiry& out);
    // The disc's CD-Text, ISRCs and MCN, read at the first call after a table of contents;
    // nothing when no disc is in the drive.
    std::shared_ptr<const DiscText> Text();

private:
    Disc() = default;
    // The data file's size in bytes; -1 when it cannot be told.
    int64_t DataFileSize() const;
    // A device is opened again (libcdio keeps the table of contents of the open); an image
    // that changed on disk is opened afresh. False: no disc.
    bool Refresh();
    bool ReadTocLocked(CDTocRecord& toc);
    // Reads the frames of [first, first + count) into out; frames off the disc read as zeros,
    // or as lead-in and lead-out on a simulated drive that overreads.
    driver_return_code_t ReadFrames(int64_t first, uint32_t count, uint8_t* out);
    // Reads size bytes of the disc's byte stream from byte position pos.
    driver_return_code_t ReadBytes(int64_t pos, size_t size, uint8_t* out);
    // What the drive delivers for frames [first, first + count): shifted by its read offset
    // and by `jitter` bytes, with its flaky and bad frames.
    driver_return_code_t Deliver(int64_t first, uint32_t count, uint8_t* out, int64_t jitter,
                                 uint8_t* c2 = nullptr);
    // MMC READ CD of a device with the C2 error block after each frame.
    driver_return_code_t ReadDeviceC2(int64_t first, uint32_t count, uint8_t* out, uint8_t* c2);
    // A real drive asked for frames outside the disc: some read into the lead-in and
    // lead-out, most refuse.
    uint32_t ReadOutside(CDSectorHeader& buffer, int64_t start);
    uint32_t Failure(driver_return_code_t result, int64_t start, uint32_t count);
    FaultPlan::Outcome Faults(int64_t first, uint32_t count);
    // A simulated drive writes "first count" of every read request to the file named by
    // VELTRARIP32_READ_LOG, so tests can count what a rip reads.
    void LogRead(int64_t first, uint32_t count);
    static bool Fits(const CDSectorHeader& buffer);
    bool OnDisc(int64_t first, uint32_t count);
    // The flaky faults' random seed, from the image's name.
    void Seed(const std::string& source);
    // The lead-out frame; -1 when the disc gives none.
    int64_t Leadout();
    static bool WithinOverread(int64_t first, uint32_t count, int64_t leadout);
    static void Delay(const FaultPlan::Outcome& fault);

    std::mutex mutex_;
    std::string source_;
    FileStamp stamp_;
    ReadRetry retry_;
    uint64_t seed_ = 0;   // from the image's name: a simulated run repeats
    uint64_t reads_ = 0;  // reads of the simulated drive so far
    bool present_ = true; // the last table of contents found a disc
    CdIo_t* cdio_ = nullptr;
    std::unique_ptr<CueImage> cue_; // a cue image: read by our own reader, not libcdio
    FaultPlan faults_;
    uint32_t addressForm_ = 0;
    uint32_t checkFrames_ = 3;
    uint32_t overlapFrames_ = 1;
    uint32_t jitterMode_ = 2;
    bool image_ = false;
    std::string dataFile_; // the data file of a cue image, for its size
    int dataFd_ = -1;      // dataFile_ opened once, so a read looks up no path
    std::FILE* readLog_ = nullptr;
    bool readLogOpened_ = false;
    std::vector<uint8_t> scratch_;
    std::vector<uint8_t> frames_;
    std::shared_ptr<const DiscText> text_; // read at the first asking, dropped with each new TOC
};

} // namespace rip32
