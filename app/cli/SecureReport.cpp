#include "SecureReport.h"

#include "CdAudio.h"

#include <cstdio>

std::string TrackTimeText(uint64_t trackSample)
{
    const uint64_t seconds = trackSample / CD_SAMPLE_RATE;
    char text[64];
    std::snprintf(text, sizeof text, "%llu:%02llu:%02llu (sample %llu)",
                  static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned long long>(seconds / 60 % 60),
                  static_cast<unsigned long long>(seconds % 60),
                  static_cast<unsigned long long>(trackSample));
    return text;
}

std::string SuspiciousText(const std::vector<SecureReader::Run>& runs, uint32_t trackStartFrame,
                           size_t maxRuns)
{
    const uint64_t base = uint64_t{trackStartFrame} * CD_SAMPLES_PER_FRAME;
    std::string text;
    for (size_t i = 0; i < runs.size(); ++i) {
        if (i == maxRuns) {
            text += ", …";
            break;
        }
        if (i) text += ", ";
        // Samples before the track (a read offset's reach) count from its start.
        const uint64_t a = runs[i].first > base ? runs[i].first - base : 0;
        const uint64_t b = runs[i].last > base ? runs[i].last - base : 0;
        text += TrackTimeText(a);
        if (b != a) text += " to " + TrackTimeText(b);
    }
    return text;
}
