#include "Folders.h"

#include "LastError.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace plat
{

bool CanEnterDirectory(const char* path)
{
    if (!path || !*path) return false;
    struct stat st {
    };
    if (stat(path, &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return faccessat(AT_FDCWD, path, X_OK, AT_EACCESS) == 0;
}

bool CreateDirectory(const char* path)
{
    if (!path || !*path) {
        SetLastError(kErrorInvalidParameter);
        return false;
    }
    if (mkdir(path, 0777) != 0) {
        SetLastErrorFromErrno(errno);
        return false;
    }
    return true;
}

std::string GetCurrentDirectory()
{
    std::vector<char> buf(PATH_MAX + 1);
    if (!getcwd(buf.data(), buf.size())) return {};
    return buf.data();
}

bool SetCurrentDirectory(const char* path)
{
    if (!path || chdir(path) != 0) {
        SetLastErrorFromErrno(errno);
        return false;
    }
    return true;
}

} // namespace plat
