// Simulated drive faults for disc images, read from a sidecar file "<image>.faults":
//   retry FRAMES TRIES|always   reads touching FRAMES return 4 for TRIES attempts (or forever)
//   error FRAMES STATUS          reads touching FRAMES fail with STATUS every time
//   shift FRAMES BYTES [TRIES]   reads touching FRAMES deliver data shifted by BYTES (jitter)
//   delay FRAMES MILLISECONDS    reads touching FRAMES take that much longer (a slow drive)
// FRAMES is a frame, a range A-B, or * for every frame. "#" starts a comment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rip32
{

class FaultPlan
{
public:
    enum class Kind { Retry, Error, Shift, Delay };
    static constexpr int64_t kAlways = -1;

    struct Fault {
        Kind kind;
        uint32_t first;
        uint32_t last;
        int64_t value;     // status for Error, byte shift for Shift, milliseconds for Delay
        int64_t triesLeft; // kAlways, or attempts still affected
    };

    // Loads the file when it exists; unreadable lines are skipped.
    void Load(const std::string& path);
    void Parse(const std::string& text);
    bool empty() const { return faults_.empty(); }

    struct Outcome {
        uint32_t status = 1; // 1 clean; 4 retry; other: failure
        int64_t shift = 0;   // byte shift of the delivered data
        int64_t delayMs = 0; // extra time the read takes
    };
    // The fault outcome of one read attempt over frames [first, first + count); consumes tries.
    Outcome Attempt(uint32_t first, uint32_t count);

private:
    std::vector<Fault> faults_;
};

} // namespace rip32
