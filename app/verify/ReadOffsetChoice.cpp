#include "ReadOffsetChoice.h"

#include "DriveOffsetTable.h"

namespace verify
{

namespace
{

// The drive's offset from the table at `path`; a warning says why there is none.
std::optional<ReadOffsetChoice> FromTable(const std::string& path, const ReadOffsetSources& s,
                                          std::vector<std::string>& warnings)
{
    std::vector<DriveOffsetRecord> table;
    std::string error;
    if (!LoadDriveOffsets(path, table, error)) {
        warnings.push_back("drive-offset table not used: " + error);
        return std::nullopt;
    }
    const std::string drive = s.vendor + " " + s.model;
    if (s.vendor.empty() && s.model.empty()) {
        warnings.push_back("drive-offset table " + path +
                           " not used: the drive does not identify itself");
        return std::nullopt;
    }
    const auto record = FindDriveOffset(table, s.vendor, s.model);
    if (!record) {
        warnings.push_back("the drive " + drive + " is not in the drive-offset table " + path);
        return std::nullopt;
    }
    ReadOffsetChoice c;
    c.offset = record->offset;
    c.source = "drive-offset table " + path + ", " + record->name;
    return c;
}

} // namespace

ReadOffsetChoice ChooseReadOffset(const ReadOffsetSources& s)
{
    std::vector<std::string> warnings;
    ReadOffsetChoice chosen;
    if (s.option) {
        chosen.offset = *s.option;
        chosen.source = "--offset";
    } else if (auto fromOption =
                   s.optionTable.empty() ? std::nullopt : FromTable(s.optionTable, s, warnings)) {
        chosen = *fromOption;
    } else if (s.setting) {
        chosen.offset = *s.setting;
        chosen.source = "ReadOffset in the settings file";
    } else if (auto fromSetting =
                   s.settingTable.empty() ? std::nullopt : FromTable(s.settingTable, s, warnings)) {
        chosen = *fromSetting;
    }
    chosen.warnings = std::move(warnings);
    return chosen;
}

std::string ReadOffsetText(const ReadOffsetChoice& choice)
{
    if (choice.source.empty()) return "none (0 samples)";
    return (choice.offset > 0 ? "+" : "") + std::to_string(choice.offset) + " samples (from " +
           choice.source + ")";
}

} // namespace verify
