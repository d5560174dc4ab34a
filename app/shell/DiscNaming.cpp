#include "DiscNaming.h"

#include "app/cd/TrackList.h"
#include "app/lookup/NameTemplate.h"
#include "app/verify/DiscIds.h"

#include "CdAudio.h"

#include <vector>

lookup::DiscQuery QueryOf(const verify::DiscToc& toc)
{
    lookup::DiscQuery q;
    q.musicBrainzDiscId = verify::MusicBrainzDiscId(toc);
    q.cddbDiscId = verify::FreedbDiscId(toc);
    bool first = true;
    for (const verify::TocTrack& t : toc.tracks) {
        if (t.data) {
            // Only the audio tracks before the data session are the disc's music.
            if (!first) break;
            continue;
        }
        if (first) q.firstTrack = t.number;
        first = false;
        q.offsets.push_back(t.start + CD_LEAD_IN_FRAMES);
    }
    q.leadout = toc.AudioLeadout() + CD_LEAD_IN_FRAMES;
    return q;
}

std::map<int, RowName> PlanNames(const TrackList& list, const verify::DiscToc& toc,
                                 const lookup::DiscMetadata& disc, const std::string& tmpl,
                                 const std::string& outputFolder)
{
    const lookup::DiscQuery query = QueryOf(toc);
    std::vector<int> rows, numbers;
    for (size_t i = 0; i < list.size(); ++i) {
        const verify::TocTrack* t = toc.AtFrame(list.row(i).record.startFrame);
        if (!t || t->data || !disc.Track(t->number, query.firstTrack)) continue;
        rows.push_back(static_cast<int>(i + 1));
        numbers.push_back(t->number);
    }
    lookup::NameLimits limits;
    limits.outputFolderBytes = outputFolder.size();
    limits.extensionBytes = 4; // room for the longest extension a stream uses
    const std::vector<lookup::OutputName> names =
        lookup::BuildOutputNames(tmpl.empty() ? lookup::kDefaultNameTemplate : tmpl, disc,
                                 query.firstTrack, numbers, limits);
    std::map<int, RowName> plan;
    for (size_t i = 0; i < names.size(); ++i)
        plan[rows[i]] = RowName{names[i].folder, names[i].name, numbers[i]};
    return plan;
}
