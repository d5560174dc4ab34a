#include "RipCommand.h"

void PrepareRow(TrackList& list, size_t index)
{
    TrackRow& row = list.row(index);
    row.record.rowNumber = static_cast<int32_t>(index + 1);
    row.record.ripFlag = 1;
}

void RipCommand(TrackList& list, RipFrontEnd& frontEnd, CDHANDLE drive)
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
        PrepareRow(list, i);
        // Released (after both its threads have ended) before the next row starts.
        RipJob job(drive);
        if (frontEnd.RunTrack(row.record, job) == RipResult::Finished)
            row.status = frontEnd.FinishedStatus();
    }
    if (!any) frontEnd.ShowMessage(kNoSelectionText);
}
