#include "RipCommand.h"

#include "RipJob.h"

void RipCommand(TrackList& list, RipFrontEnd& frontEnd)
{
    bool any = false;
    for (size_t i = 0; i < list.size(); ++i) {
        TrackRow& row = list.row(i);
        if (!row.checked) continue;
        any = true;
        if (row.record.dataTrack && !frontEnd.RipsDataTracks()) {
            row.status = kDataTrackStatus;
            continue;
        }
        row.record.rowNumber = static_cast<int32_t>(i + 1);
        row.record.ripFlag = 1;
        const RipResult result = frontEnd.RunTrack(row.record);
        if (result == RipResult::Finished) row.status = kCompleteStatus;
        // The job is used by both threads until they have ended (the front-end has waited for
        // them already when its dialog is gone; then this does nothing).
        FinishRipJob(g_ripJob);
    }
    if (!any) frontEnd.ShowMessage(kNoSelectionText);
}
