// The rows of the track list as plain data: the main window shows them, the rip command walks
// them. Column 0 always reads "selected"; the check mark is what decides.
#pragma once

#include "TrackRecord.h"

#include <string>
#include <vector>

struct TrackRow {
    bool checked = false;
    std::string selected; // column 0
    std::string name;     // column 1
    std::string time;     // column 2
    std::string status;   // column 3
    TrackRecord record{};
};

class TrackList
{
public:
    void Clear() { rows_.clear(); }
    void Append(const TrackRecord& record, const std::string& timeText);
    void CheckAll(bool checked);
    size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    TrackRow& row(size_t i) { return rows_.at(i); }
    const TrackRow& row(size_t i) const { return rows_.at(i); }
    const std::vector<TrackRow>& rows() const { return rows_; }

private:
    std::vector<TrackRow> rows_;
};
