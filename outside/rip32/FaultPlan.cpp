#include "FaultPlan.h"

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

void FaultPlan::Parse(const std::string& text)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string kind, frames, a, b;
        if (!(words >> kind >> frames >> a)) continue;
        words >> b;
        Fault f{};
        if (!ParseFrames(frames, f.first, f.last)) continue;
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
            f.triesLeft = kAlways;
        } else if (kind == "shift") {
            f.kind = Kind::Shift;
            // Jitter beyond two frames is not what the overlapped read is built to correct.
            if (!ParseNumber(a, f.value) || f.value == 0 || f.value > 4704 || f.value < -4704)
                continue;
            f.triesLeft = kAlways;
            if (!b.empty() && (!ParseNumber(b, f.triesLeft) || f.triesLeft < 0)) continue;
        } else if (kind == "delay") {
            f.kind = Kind::Delay;
            if (!ParseNumber(a, f.value) || f.value <= 0 || f.value > 60000) continue;
            f.triesLeft = kAlways;
        } else {
            continue;
        }
        faults_.push_back(f);
    }
}

FaultPlan::Outcome FaultPlan::Attempt(uint32_t first, uint32_t count)
{
    Outcome outcome;
    if (count == 0) return outcome;
    const uint64_t last = static_cast<uint64_t>(first) + count - 1;
    for (Fault& f : faults_) {
        if (f.triesLeft == 0 || f.last < first || f.first > last) continue;
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
        }
    }
    return outcome;
}

} // namespace rip32
