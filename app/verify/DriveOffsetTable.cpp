#include "DriveOffsetTable.h"

#include <fstream>
#include <iterator>

namespace verify
{

namespace
{

constexpr size_t kNameBytes = 33; // NUL-padded, from byte 2

std::string Trim(const std::string& text)
{
    const size_t from = text.find_first_not_of(" \t");
    if (from == std::string::npos) return {};
    return text.substr(from, text.find_last_not_of(" \t") - from + 1);
}

bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

} // namespace

bool ParseDriveOffsets(const uint8_t* data, size_t size, std::vector<DriveOffsetRecord>& out,
                       std::string& error)
{
    out.clear();
    if (!data || size == 0) {
        error = "the drive-offset table is empty";
        return false;
    }
    if (size % kDriveOffsetRecordBytes != 0) {
        error = "the drive-offset table ends inside record " +
                std::to_string(size / kDriveOffsetRecordBytes + 1);
        return false;
    }
    for (size_t pos = 0; pos < size; pos += kDriveOffsetRecordBytes) {
        const uint8_t* r = data + pos;
        DriveOffsetRecord record;
        record.offset = static_cast<int16_t>(r[0] | r[1] << 8);
        const char* name = reinterpret_cast<const char*>(r + 2);
        size_t length = 0;
        while (length < kNameBytes && name[length])
            ++length;
        record.name.assign(name, length);
        const uint8_t* s = r + 2 + kNameBytes;
        record.submissions =
            uint32_t{s[0]} | uint32_t{s[1]} << 8 | uint32_t{s[2]} << 16 | uint32_t{s[3]} << 24;
        out.push_back(std::move(record));
    }
    return true;
}

bool LoadDriveOffsets(const std::string& path, std::vector<DriveOffsetRecord>& out,
                      std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<uint8_t> bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
        if (bytes.size() > kMaxDriveOffsetTableBytes) {
            error = path + " is too large for a drive-offset table";
            return false;
        }
    }
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    return ParseDriveOffsets(bytes.data(), bytes.size(), out, error);
}

std::optional<DriveOffsetRecord> FindDriveOffset(const std::vector<DriveOffsetRecord>& table,
                                                 const std::string& vendor,
                                                 const std::string& model)
{
    const std::string v = Trim(vendor), m = Trim(model);
    if (v.empty() && m.empty()) return std::nullopt;
    for (const auto& record : table) {
        const size_t cut = record.name.find(" - ");
        if (cut == std::string::npos) continue;
        if (SameText(Trim(record.name.substr(0, cut)), v) &&
            SameText(Trim(record.name.substr(cut + 3)), m))
            return record;
    }
    return std::nullopt;
}

} // namespace verify
