// What a set of files looked like when an image was opened (identity, size, modification
// time, or absence), so a table-of-contents read can tell the image was rewritten since.
#pragma once

#include <string>
#include <vector>

namespace rip32
{

class FileStamp
{
public:
    // Takes the files' present state.
    void Take(std::vector<std::string> paths);
    void Retake() { Take(paths_); }
    // Any of the files differs from what Take saw (appeared, vanished or was written).
    bool Changed() const;

private:
    struct Seen {
        bool exists = false;
        unsigned long long device = 0, inode = 0;
        long long size = 0, mtimeSec = 0, mtimeNsec = 0;
        bool operator==(const Seen&) const = default;
    };
    static Seen Look(const std::string& path);

    std::vector<std::string> paths_;
    std::vector<Seen> seen_;
};

} // namespace rip32
