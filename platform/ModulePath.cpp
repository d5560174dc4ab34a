#include "ModulePath.h"

#include <climits>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace plat
{

std::string GetProgramPath()
{
    std::vector<char> buf(PATH_MAX + 1);
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return {};
    return std::string(buf.data(), static_cast<size_t>(n));
}

std::string FolderOf(const std::string& path)
{
    size_t cut = path.find_last_of(kPathSeparator);
    if (cut == std::string::npos) return {};
    if (cut == 0) return std::string(1, kPathSeparator);
    return path.substr(0, cut);
}

namespace
{
std::string& ProgramFolderOverride()
{
    static std::string folder;
    return folder;
}
} // namespace

void SetProgramFolderOverride(const std::string& folder)
{
    ProgramFolderOverride() = folder;
}

std::string GetProgramFolder()
{
    if (!ProgramFolderOverride().empty()) return ProgramFolderOverride();
    return FolderOf(GetProgramPath());
}

std::string GetModuleFolder(const void* addressInModule)
{
    Dl_info info{};
    if (!dladdr(addressInModule, &info) || !info.dli_fname) return {};
    // The main program is reported by the name it was started with, which may be relative to
    // a folder that is no longer current: ask the kernel for it instead.
    struct stat module {
    }, program{};
    if (stat(info.dli_fname, &module) != 0 || stat("/proc/self/exe", &program) != 0 ||
        (module.st_dev == program.st_dev && module.st_ino == program.st_ino))
        return FolderOf(GetProgramPath());
    char resolved[PATH_MAX];
    if (!realpath(info.dli_fname, resolved)) return FolderOf(GetProgramPath());
    return FolderOf(resolved);
}

std::string GetOwnModuleFolder()
{
    static const char marker = 0;
    return GetModuleFolder(&marker);
}

} // namespace plat
