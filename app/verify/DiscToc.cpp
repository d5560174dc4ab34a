#include "DiscToc.h"

#include <cstdio>

namespace verify
{

const TocTrack* DiscToc::Find(int number) const
{
    for (const TocTrack& t : tracks)
        if (t.number == number) return &t;
    return nullptr;
}

const TocTrack* DiscToc::AtFrame(uint32_t start) const
{
    for (const TocTrack& t : tracks)
        if (t.start == start) return &t;
    return nullptr;
}

int DiscToc::AudioTrackCount() const
{
    int n = 0;
    for (const TocTrack& t : tracks)
        n += t.data ? 0 : 1;
    return n;
}

bool DiscToc::IsFirstAudioTrack(int number) const
{
    for (const TocTrack& t : tracks)
        if (!t.data) return t.number == number;
    return false;
}

bool DiscToc::IsLastAudioTrack(int number) const
{
    for (auto it = tracks.rbegin(); it != tracks.rend(); ++it)
        if (!it->data) return it->number == number;
    return false;
}

bool DiscToc::HasTrailingData() const
{
    return !tracks.empty() && tracks.back().data && AudioTrackCount() > 0;
}

uint32_t DiscToc::AudioLeadout() const
{
    if (!HasTrailingData()) return leadout;
    size_t i = tracks.size();
    while (i > 0 && tracks[i - 1].data)
        --i;
    const uint32_t dataStart = tracks[i].start;
    // A layout that leaves no room for the gap has its data track right after the audio.
    return dataStart > CD_ENHANCED_CD_GAP && dataStart - CD_ENHANCED_CD_GAP > tracks[i - 1].start
               ? dataStart - CD_ENHANCED_CD_GAP
               : dataStart;
}

std::optional<DiscToc> MakeDiscToc(std::vector<TocTrack> tracks, uint32_t leadout)
{
    if (tracks.empty() || tracks.size() > 99) return std::nullopt;
    for (size_t i = 0; i < tracks.size(); ++i) {
        const TocTrack& t = tracks[i];
        if (t.number < 1 || t.number > 99) return std::nullopt;
        if (i > 0 && (t.number != tracks[i - 1].number + 1 || t.start <= tracks[i - 1].start))
            return std::nullopt;
    }
    if (leadout <= tracks.back().start) return std::nullopt;
    DiscToc toc;
    toc.tracks = std::move(tracks);
    toc.leadout = leadout;
    return toc;
}

std::optional<DiscToc> DiscTocFromRecord(const CDTocRecord& record)
{
    const int first = record.firstTrack, last = record.lastTrack;
    if (first < 1 || last < first || last - first + 1 >= CD_TOC_MAX_DESCRIPTORS)
        return std::nullopt;
    auto address = [](const CDTocDescriptor& d) {
        return (uint32_t{d.address[0]} << 24) | (uint32_t{d.address[1]} << 16) |
               (uint32_t{d.address[2]} << 8) | uint32_t{d.address[3]};
    };
    std::vector<TocTrack> tracks;
    for (int t = first; t <= last; ++t) {
        const CDTocDescriptor& d = record.descriptors[t - first];
        if (d.trackNumber != t) return std::nullopt;
        TocTrack track;
        track.number = t;
        track.start = address(d);
        track.data = (d.adrControl & CD_TOC_CONTROL_DATA) != 0;
        track.copyPermitted = (d.adrControl & 0x02) != 0;
        track.preEmphasis = !track.data && (d.adrControl & 0x01) != 0;
        tracks.push_back(track);
    }
    const CDTocDescriptor& leadout = record.descriptors[last - first + 1];
    if (leadout.trackNumber != CD_TOC_LEADOUT) return std::nullopt;
    return MakeDiscToc(std::move(tracks), address(leadout));
}

std::string MsfText(uint32_t frames, char frameSeparator)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u%c%02u", frames / CD_FRAMES_PER_MINUTE,
                  (frames / CD_FRAMES_PER_SECOND) % 60, frameSeparator,
                  frames % CD_FRAMES_PER_SECOND);
    return text;
}

} // namespace verify
