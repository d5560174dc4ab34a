#include "Toc.h"

#include "platform/DebugTrace.h"

#include <cstdio>
#include <cstring>

namespace
{

uint32_t Address(const CDTocDescriptor& d)
{
    return (uint32_t{d.address[0]} << 24) | (uint32_t{d.address[1]} << 16) |
           (uint32_t{d.address[2]} << 8) | uint32_t{d.address[3]};
}

} // namespace

std::vector<TrackRecord> BuildTrackRecords(const CDTocRecord& toc)
{
    std::vector<TrackRecord> records;
    const int first = toc.firstTrack, last = toc.lastTrack;
    // Descriptor last - first + 1 (the lead-out) must lie inside the record.
    if (last < first || last - first + 1 >= CD_TOC_MAX_DESCRIPTORS) return records;

    for (int t = first; t <= last; ++t) {
        const CDTocDescriptor& d = toc.descriptors[t - first];
        const CDTocDescriptor& n = toc.descriptors[t - first + 1];
        TrackRecord record{};
        std::snprintf(record.name, sizeof record.name, "Track %02d", t);
        record.startFrame = Address(d);
        if (d.adrControl & CD_TOC_CONTROL_DATA) {
            std::snprintf(record.name, sizeof record.name, "Data Track");
            record.dataTrack = 1;
        }
        // A next address before this one is a damaged TOC, not a track of four billion frames.
        record.length = Address(n) >= record.startFrame ? Address(n) - record.startFrame : 0;

        if (n.adrControl & CD_TOC_CONTROL_DATA) {
            // The gap before an Enhanced CD's data track is no audio: a drive refuses it or
            // returns noise.
            if (record.length > CD_ENHANCED_CD_GAP) record.length -= CD_ENHANCED_CD_GAP;
            plat::DebugTrace("Set lastAudioFrame to %d",
                             static_cast<int>(record.startFrame + record.length - 1));
        } else if (n.trackNumber == CD_TOC_LEADOUT) {
            plat::DebugTrace("Set lastAudioFrame to %d",
                             static_cast<int>(record.startFrame + record.length - 1));
        }
        if (record.length == 0) continue;
        records.push_back(record);
    }
    return records;
}

std::string TimeText(uint32_t frames)
{
    const uint32_t s = frames / CD_FRAMES_PER_SECOND;
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u", (s % 3600) / 60, s % 60);
    return text;
}
