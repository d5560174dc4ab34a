// Which read offset a rip uses and why: the command line's, the settings file's, or the
// drive's entry in a drive-offset table, the first that gives one; otherwise none.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace verify
{

struct ReadOffsetSources {
    std::optional<int> option;  // --offset
    std::string optionTable;    // --offset-table
    std::optional<int> setting; // ReadOffset
    std::string settingTable;   // OffsetTable
    std::string vendor;         // the drive's INQUIRY data
    std::string model;
};

struct ReadOffsetChoice {
    int offset = 0;
    std::string source;                // for the log: where the offset came from
    std::vector<std::string> warnings; // a table that could not be used, and why
};

ReadOffsetChoice ChooseReadOffset(const ReadOffsetSources& sources);

// "+667 samples (from --offset)"; "none (0 samples)" when nothing set one.
std::string ReadOffsetText(const ReadOffsetChoice& choice);

} // namespace verify
