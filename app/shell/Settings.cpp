#include "Settings.h"

#include "platform/Folders.h"
#include "platform/ModulePath.h"
#include "platform/Profile.h"
#include "platform/UserFolders.h"

std::string SettingsFolder()
{
    std::string program = plat::GetProgramFolder();
    if (plat::IsWritableFolder(program)) return program;
    std::string folder = plat::UserConfigFolder() + plat::kPathSeparator + "veltracdrip";
    // The configuration folder itself may not exist yet on a fresh account.
    for (size_t cut = folder.find(plat::kPathSeparator, 1); cut != std::string::npos;
         cut = folder.find(plat::kPathSeparator, cut + 1))
        plat::CreateDirectory(folder.substr(0, cut).c_str());
    plat::CreateDirectory(folder.c_str());
    return folder;
}

std::string DefaultOutputFolder()
{
    const std::string program = plat::GetProgramFolder();
    return plat::IsWritableFolder(program) ? program : plat::UserMusicFolder();
}

void Settings::Open(const char* fileName)
{
    path_ = SettingsFolder() + plat::kPathSeparator + (fileName ? fileName : "");
}

bool Settings::Read(const char* section, const char* key, const char* defaultValue, char* buffer,
                    uint32_t size)
{
    plat::GetPrivateProfileString(section, key, defaultValue, buffer, size, path_.c_str());
    return true;
}

bool Settings::Write(const char* section, const char* key, const char* value)
{
    return plat::WritePrivateProfileString(section, key, value, path_.c_str());
}
