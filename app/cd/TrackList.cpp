#include "TrackList.h"

void TrackList::Append(const TrackRecord& record, const std::string& timeText)
{
    TrackRow row;
    row.selected = "selected";
    row.name = record.name;
    row.time = timeText;
    row.record = record;
    rows_.push_back(std::move(row));
}

void TrackList::CheckAll(bool checked)
{
    for (TrackRow& r : rows_)
        r.checked = checked;
}
