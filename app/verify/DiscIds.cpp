#include "DiscIds.h"

#include <discid/discid.h>

#include <cstdio>
#include <memory>

namespace verify
{

namespace
{

uint32_t DigitSum(uint32_t n)
{
    uint32_t sum = 0;
    for (; n > 0; n /= 10)
        sum += n % 10;
    return sum;
}

struct DiscIdDeleter {
    void operator()(DiscId* d) const { discid_free(d); }
};

} // namespace

uint32_t FreedbDiscId(const DiscToc& toc)
{
    if (toc.tracks.empty()) return 0;
    uint32_t n = 0;
    for (const TocTrack& t : toc.tracks)
        n += DigitSum((t.start + CD_LEAD_IN_FRAMES) / CD_FRAMES_PER_SECOND);
    // Whole seconds of both ends, rounded down before the difference.
    const uint32_t seconds = (toc.leadout + CD_LEAD_IN_FRAMES) / CD_FRAMES_PER_SECOND -
                             (toc.tracks.front().start + CD_LEAD_IN_FRAMES) / CD_FRAMES_PER_SECOND;
    return ((n % 0xFF) << 24) | ((seconds & 0xFFFF) << 8) |
           static_cast<uint32_t>(toc.tracks.size() & 0xFF);
}

std::string MusicBrainzDiscId(const DiscToc& toc)
{
    // libdiscid takes the offsets by track number: offsets[0] is the lead-out, offsets[t]
    // track t's start, counted from the start of the lead-in.
    int first = 0, last = 0;
    int offsets[100] = {};
    const uint32_t audioEnd = toc.AudioLeadout();
    for (const TocTrack& t : toc.tracks) {
        if (t.start >= audioEnd) break;
        if (first == 0) first = t.number;
        last = t.number;
        offsets[last] = static_cast<int>(t.start + CD_LEAD_IN_FRAMES);
    }
    if (first == 0) return {};
    offsets[0] = static_cast<int>(audioEnd + CD_LEAD_IN_FRAMES);
    std::unique_ptr<DiscId, DiscIdDeleter> disc(discid_new());
    if (!disc || !discid_put(disc.get(), first, last, offsets)) return {};
    const char* id = discid_get_id(disc.get());
    return id ? id : std::string();
}

std::string AccurateRipDiscId::Name() const
{
    char text[64];
    std::snprintf(text, sizeof text, "dBAR-%03d-%08x-%08x-%08x", audioTracks, id1, id2, freedb);
    return text;
}

std::string AccurateRipDiscId::Path() const
{
    char text[16];
    std::snprintf(text, sizeof text, "%x/%x/%x/", id1 & 0xF, (id1 >> 4) & 0xF, (id1 >> 8) & 0xF);
    return text + Name() + ".bin";
}

std::optional<AccurateRipDiscId> AccurateRipId(const DiscToc& toc)
{
    AccurateRipDiscId id;
    for (const TocTrack& t : toc.tracks) {
        if (t.data) continue;
        ++id.audioTracks;
        id.id1 += t.start;
        id.id2 += (t.start > 0 ? t.start : 1u) * static_cast<uint32_t>(id.audioTracks);
    }
    if (id.audioTracks == 0) return std::nullopt;
    id.id1 += toc.leadout;
    id.id2 += toc.leadout * static_cast<uint32_t>(id.audioTracks + 1);
    id.freedb = FreedbDiscId(toc);
    return id;
}

int AccurateRipSlot(const DiscToc& toc, int trackNumber)
{
    for (size_t i = 0; i < toc.tracks.size(); ++i)
        if (toc.tracks[i].number == trackNumber) return static_cast<int>(i);
    return -1;
}

} // namespace verify
