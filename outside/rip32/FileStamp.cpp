#include "FileStamp.h"

#include <sys/stat.h>

namespace rip32
{

FileStamp::Seen FileStamp::Look(const std::string& path)
{
    Seen s;
    struct stat st {
    };
    if (stat(path.c_str(), &st) != 0) return s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.mtimeSec = st.st_mtim.tv_sec;
    s.mtimeNsec = st.st_mtim.tv_nsec;
    return s;
}

void FileStamp::Take(std::vector<std::string> paths)
{
    paths_ = std::move(paths);
    seen_.clear();
    for (const auto& p : paths_)
        seen_.push_back(Look(p));
}

bool FileStamp::Changed() const
{
    for (size_t i = 0; i < paths_.size(); ++i)
        if (!(Look(paths_[i]) == seen_[i])) return true;
    return false;
}

} // namespace rip32
