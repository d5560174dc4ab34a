#include "FaultPlan.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace rip32
{

namespace
{

bool ParseFrames(const std::string& text, uint32_t& first, uint32_t& last)
{
    if (text == "*") {
        first = 0;
        last = UINT32_MAX;
        return true;
    }
    try {
        size_t dash = text.find('-');
        size_t used = 0;
        unsigned long a = std::stoul(text.substr(0, dash), &used);
        if (used != (dash == std::string::npos ? text.size() : dash)) return false;
        unsigned long b = a;
        if (dash != std::string::npos) {
            std::string rest = text.substr(dash + 1);
            b = std::stoul(rest, &used);
            if (used != rest.size()) return false;
        }
        if (a > UINT32_MAX || b > UINT32_MAX || b < a) return false;
        first = static_cast<uint32_t>(a);
        last = static_cast<uint32_t>(b);
        return true;
    } catch (const std::logic_error&) {
        return false;
    }
}

bool ParseNumber(const std::string& text, int64_t& value)
{
    try {
        size_t used = 0;
        long long v = std::stoll(text, &used);
        if (used != text.size()) return false;
        value = v;
        return true;
    } catch (const std::logic_error&) {
        return false;
    }
}

} // namespace

void FaultPlan::Load(const std::string& path)
{
    std::ifstream in(path);
    if (!in) return;
    std::stringstream ss;
    ss << in.rdbuf();
    Parse(ss.str());
}

bool FaultPlan::empty() const
{
    return faults_.empty() && driveOffset_ == 0 && !overread_ && !eject_ && !HasDriveModel();
}

void FaultPlan::Parse(const std::string& text)
{
    text_ += text;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string kind;
        if (!(words >> kind)) continue;
        if (kind == "overread" || kind == "eject") {
            std::string extra;
            if (words >> extra) continue;
            (kind == "eject" ? eject_ : overread_) = true;
            continue;
        }
        if (kind == "offset") {
            std::string n, extra;
            int64_t v = 0;
            if (!(words >> n) || (words >> extra) || !ParseNumber(n, v) || v > kMaxDriveOffset ||
                v < -kMaxDriveOffset)
                continue;
            driveOffset_ = v;
            continue;
        }
        if (kind == "drive") {
            // The model is the rest of the line, its inner spaces kept.
            std::string vendor, model;
            if (!(words >> vendor)) continue;
            std::getline(words, model);
            const size_t from = model.find_first_not_of(" \t");
            const size_t to = model.find_last_not_of(" \t\r");
            if (from == std::string::npos) continue;
            vendor_ = vendor;
            model_ = model.substr(from, to - from + 1);
            continue;
        }
        std::string frames, a, b;
        if (!(words >> frames)) continue;
        words >> a >> b;
        Fault f{};
        if (!ParseFrames(frames, f.first, f.last)) continue;
        f.triesLeft = kAlways;
        if (kind == "bad") {
            if (!a.empty()) continue;
            f.kind = Kind::Bad;
            f.value = kBadFrameSamples;
            faults_.push_back(f);
            continue;
        }
        if (a.empty()) continue;
        if (kind == "retry") {
            f.kind = Kind::Retry;
            f.value = 4;
            if (a == "always")
                f.triesLeft = kAlways;
            else if (!ParseNumber(a, f.triesLeft) || f.triesLeft < 0)
                continue;
        } else if (kind == "error") {
            f.kind = Kind::Error;
            // 1 and 4 have their own meaning; an error fault must fail.
            if (!ParseNumber(a, f.value) || f.value == 1 || f.value == 4 || f.value < 0 ||
                f.value > 255)
                continue;
        } else if (kind == "shift") {
            f.kind = Kind::Shift;
            // Jitter beyond two frames is not what the overlapped read is built to correct.
            if (!ParseNumber(a, f.value) || f.value == 0 || f.value > 4704 || f.value < -4704)
                continue;
            if (!b.empty() && (!ParseNumber(b, f.triesLeft) || f.triesLeft < 0)) continue;
        } else if (kind == "delay") {
            f.kind = Kind::Delay;
            if (!ParseNumber(a, f.value) || f.value <= 0 || f.value > 60000) continue;
        } else if (kind == "flaky") {
            f.kind = Kind::Flaky;
            if (!ParseNumber(a, f.value) || f.value <= 0 || f.value > CD_SAMPLES_PER_FRAME)
                continue;
            if (!b.empty() && b != "c2") continue;
            f.c2 = b == "c2";
        } else {
            continue;
        }
        faults_.push_back(f);
    }
}

bool FaultPlan::TakeEject()
{
    const bool eject = eject_;
    eject_ = false;
    return eject;
}

FaultPlan::Outcome FaultPlan::Attempt(uint32_t first, uint32_t count)
{
    Outcome outcome;
    if (count == 0) return outcome;
    const uint64_t last = static_cast<uint64_t>(first) + count - 1;
    for (Fault& f : faults_) {
        if (f.triesLeft == 0 || f.last < first || f.first > last) continue;
        if (f.kind == Kind::Flaky || f.kind == Kind::Bad) continue;
        if (f.triesLeft > 0) --f.triesLeft;
        switch (f.kind) {
        case Kind::Error:
            outcome.status = static_cast<uint32_t>(f.value);
            return outcome;
        case Kind::Retry:
            if (outcome.status == 1) outcome.status = 4;
            break;
        case Kind::Shift:
            if (outcome.shift == 0) outcome.shift = f.value;
            break;
        case Kind::Delay:
            outcome.delayMs += f.value;
            break;
        case Kind::Flaky:
        case Kind::Bad:
            break; // wrong data, not a failed read: see Corrupt
        }
    }
    return outcome;
}

namespace
{

uint64_t Mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

} // namespace

bool FaultPlan::Corrupt(int64_t first, uint32_t count, uint8_t* data, uint64_t seed,
                        uint64_t readNumber, uint8_t* c2) const
{
    constexpr size_t kFrameBytes = CD_FRAME_BYTES, kSamples = CD_SAMPLES_PER_FRAME,
                     kC2Bytes = kFrameBytes / 8;
    bool changed = false;
    for (const Fault& f : faults_) {
        if (f.kind != Kind::Flaky && f.kind != Kind::Bad) continue;
        for (uint32_t k = 0; k < count; ++k) {
            const int64_t frame = first + k;
            if (frame < f.first || frame > f.last) continue;
            // A bad frame is read wrong the same way every time; a flaky one differently.
            uint64_t state = Mix(seed ^ Mix(static_cast<uint64_t>(frame) ^
                                            (f.kind == Kind::Flaky ? Mix(readNumber + 1) : 0)));
            uint8_t* out = data + k * kFrameBytes;
            // Distinct samples: a partial Fisher-Yates draw over the frame's sample indices.
            uint16_t order[kSamples];
            for (size_t i = 0; i < kSamples; ++i)
                order[i] = static_cast<uint16_t>(i);
            for (int64_t n = 0; n < f.value; ++n) {
                state = Mix(state);
                const size_t pick = n + static_cast<size_t>(state % (kSamples - n));
                std::swap(order[n], order[pick]);
                const size_t at = order[n] * size_t{4};
                uint32_t flip = static_cast<uint32_t>(state >> 32);
                if (flip == 0) flip = 0x5A5A5A5A; // a change must change something
                for (size_t b = 0; b < 4; ++b) {
                    const uint8_t x = static_cast<uint8_t>(flip >> (8 * b));
                    out[at + b] ^= x;
                    if (x && c2 && f.c2)
                        c2[k * kC2Bytes + (at + b) / 8] |=
                            static_cast<uint8_t>(0x80 >> ((at + b) % 8));
                }
            }
            changed = true;
        }
    }
    return changed;
}

} // namespace rip32
