#include "UserFolders.h"

#include "Folders.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace plat
{

namespace
{

std::string Home()
{
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

} // namespace

std::string UserConfigFolder()
{
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return config;
    return Home() + "/.config";
}

std::string UserMusicFolder()
{
    std::ifstream dirs(UserConfigFolder() + "/user-dirs.dirs");
    std::string line;
    while (std::getline(dirs, line)) {
        const std::string key = "XDG_MUSIC_DIR=\"";
        if (line.rfind(key, 0) != 0 || line.size() < key.size() + 1 || line.back() != '"') continue;
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.rfind("$HOME", 0) == 0) value = Home() + value.substr(5);
        if (!value.empty() && value[0] == '/' && value != Home() && value != Home() + "/")
            return value;
    }
    return Home() + "/Music";
}

bool IsWritableFolder(const std::string& folder)
{
    return CanEnterDirectory(folder.c_str()) &&
           faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) == 0;
}

} // namespace plat
