#include "BurstRip.h"

#include <algorithm>

struct BurstRip::Track {
    Track(uint32_t start, int number, verify::PcmChecksums checksums)
        : startFrame(start), tocNumber(number), sums(checksums)
    {
    }
    uint32_t startFrame;
    int tocNumber;
    verify::PcmChecksums sums;
    AddingTap<verify::PcmChecksums> tap{sums};
    bool whole = false; // the latest read ended with every sample of the track
    verify::BurstTrack verdict;
};

BurstRip::BurstRip(std::optional<verify::DiscToc> toc, std::optional<verify::DbarResponse> response)
    : toc_(std::move(toc)), response_(std::move(response))
{
}

BurstRip::~BurstRip() = default;

BurstRip::Track* BurstRip::Find(uint32_t startFrame) const
{
    for (const auto& t : tracks_)
        if (t->startFrame == startFrame) return t.get();
    return nullptr;
}

PcmTap* BurstRip::Begin(const TrackRecord& record)
{
    const verify::TocTrack* t = toc_ ? toc_->AtFrame(record.startFrame) : nullptr;
    if (!t || t->data) return nullptr;
    // A second read starts its checksums afresh.
    std::erase_if(tracks_, [&](const auto& k) { return k->startFrame == record.startFrame; });
    tracks_.push_back(
        std::make_unique<Track>(record.startFrame, t->number,
                                verify::AudioTrackChecksums(*toc_, t->number, record.length)));
    tracks_.back()->verdict.reread = rereading_;
    return &tracks_.back()->tap;
}

void BurstRip::End(const TrackRecord& record, bool finished, bool inexact)
{
    Track* t = Find(record.startFrame);
    if (!t) return;
    t->whole = finished && t->sums.complete();
    t->verdict.inexact = inexact;
    if (t->whole && response_)
        t->verdict.match = verify::MatchChecksums(*response_, *toc_, t->tocNumber, t->sums);
}

std::string BurstRip::Status(const TrackRecord& record, const std::string& plain) const
{
    const Track* t = Find(record.startFrame);
    if (!t || !t->whole) return plain;
    return verify::BurstWords(t->verdict);
}

void BurstRip::Run(TrackList& list, RipFrontEnd& frontEnd, CDHANDLE drive)
{
    rereading_ = false;
    RipCommand(list, frontEnd, drive);
    std::vector<bool> ticked(list.size());
    bool any = false;
    for (size_t i = 0; i < list.size(); ++i) {
        TrackRow& row = list.row(i);
        ticked[i] = row.checked;
        const Track* t = Find(row.record.startFrame);
        // A cancelled or failed burst read is not read again.
        row.checked = row.checked && t && t->whole && !t->verdict.reread &&
                      verify::ReadAgain(t->verdict.match);
        any = any || row.checked;
    }
    if (any) {
        rereading_ = true;
        RipCommand(list, frontEnd, drive);
    }
    for (size_t i = 0; i < list.size(); ++i)
        list.row(i).checked = ticked[i];
}
