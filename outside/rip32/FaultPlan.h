// Simulated drive faults for disc images, read from a sidecar file "<image>.faults":
//   retry FRAMES TRIES|always   reads touching FRAMES return 4 for TRIES attempts (or forever)
//   error FRAMES STATUS          reads touching FRAMES fail with STATUS every time
//   shift FRAMES BYTES [TRIES]   reads touching FRAMES deliver data shifted by BYTES (jitter)
//   delay FRAMES MILLISECONDS    reads touching FRAMES take that much longer (a slow drive)
//   flaky FRAMES SAMPLES [c2]    SAMPLES samples of each such frame change on every read
//   bad FRAMES                   those frames come back wrong, the same way on every read
//   offset N                     the drive's read offset: frame F starts at disc sample 588F - N
//   overread                     the drive reads into the lead-in and lead-out
//   drive VENDOR MODEL...        what the drive's INQUIRY data reports
//   eject                        the next table of contents finds no disc
// FRAMES is a frame, a range A-B, or * for every frame. "#" starts a comment.
#pragma once

#include "CdAudio.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rip32
{

// What an overreading drive delivers outside the disc, per stereo sample: never silence, so
// that it can be told from the zeros a ripper fills in.
constexpr uint8_t kLeadInSample[4] = {'I', 'N', 'I', 'N'};
constexpr uint8_t kLeadOutSample[4] = {'O', 'U', 'T', '!'};
// Samples a "bad" frame gets wrong.
constexpr uint32_t kBadFrameSamples = 16;
// Drive read offsets beyond five frames are not real drives.
constexpr int64_t kMaxDriveOffset = 5 * CD_SAMPLES_PER_FRAME;
// How far an overreading drive reads into the lead-in and the lead-out, in frames.
constexpr int64_t kOverreadFrames = 75;

class FaultPlan
{
public:
    enum class Kind { Retry, Error, Shift, Delay, Flaky, Bad };
    static constexpr int64_t kAlways = -1;

    struct Fault {
        Kind kind;
        uint32_t first;
        uint32_t last;
        int64_t value;     // status for Error, byte shift for Shift, milliseconds for Delay,
                           // samples for Flaky and Bad
        int64_t triesLeft; // kAlways, or attempts still affected
        bool c2 = false;   // Flaky: the drive flags the changed bytes as C2 errors
    };

    // Loads the file when it exists; unreadable lines are skipped.
    void Load(const std::string& path);
    void Parse(const std::string& text);
    // Everything parsed so far.
    const std::string& text() const { return text_; }
    bool empty() const;

    struct Outcome {
        uint32_t status = 1; // 1 clean; 4 retry; other: failure
        int64_t shift = 0;   // byte shift of the delivered data
        int64_t delayMs = 0; // extra time the read takes
    };
    // The fault outcome of one read attempt over frames [first, first + count); consumes tries.
    Outcome Attempt(uint32_t first, uint32_t count);

    // Changes the delivered frames [first, first + count) at `data` as the flaky and bad frames
    // of the plan say. `seed` names the image and `readNumber` counts the reads, so a run
    // repeats while every read of a flaky frame differs. With `c2` (count x 294 bytes, one bit
    // per data byte, most significant bit first), the bytes of a "c2" flaky frame that changed
    // are flagged. Returns whether anything changed.
    bool Corrupt(int64_t first, uint32_t count, uint8_t* data, uint64_t seed, uint64_t readNumber,
                 uint8_t* c2 = nullptr) const;

    int64_t driveOffset() const { return driveOffset_; }
    bool overread() const { return overread_; }
    bool HasDriveModel() const { return !vendor_.empty() || !model_.empty(); }
    const std::string& vendor() const { return vendor_; }
    const std::string& model() const { return model_; }
    // True once after an "eject" line: the fault goes with it.
    bool TakeEject();

private:
    std::vector<Fault> faults_;
    std::string text_;
    int64_t driveOffset_ = 0;
    bool overread_ = false;
    bool eject_ = false;
    std::string vendor_;
    std::string model_;
};

} // namespace rip32
