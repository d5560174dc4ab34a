// The AccurateRip drive-offset table ("DriveOffsets.bin"): records of 69 bytes, each a drive's
// read offset and its "VENDOR - MODEL" name, and the lookup of a drive by its INQUIRY data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace verify
{

constexpr size_t kDriveOffsetRecordBytes = 69;
// The real table holds a few thousand drives.
constexpr size_t kMaxDriveOffsetTableBytes = 4 << 20;

struct DriveOffsetRecord {
    std::string name; // as the table spells it, e.g. "PIONEER  - BD-RW   BDR-X12"
    int offset = 0;   // samples
    uint32_t submissions = 0;
};

// Parses the whole buffer; false with a reason when it is empty or ends inside a record.
bool ParseDriveOffsets(const uint8_t* data, size_t size, std::vector<DriveOffsetRecord>& out,
                       std::string& error);
bool LoadDriveOffsets(const std::string& path, std::vector<DriveOffsetRecord>& out,
                      std::string& error);

// The drive's record: the table's name split at " - ", each side trimmed and compared with the
// drive's (trimmed) vendor and model without regard to case; inner spaces count. The first
// match wins.
std::optional<DriveOffsetRecord> FindDriveOffset(const std::vector<DriveOffsetRecord>& table,
                                                 const std::string& vendor,
                                                 const std::string& model);

} // namespace verify
