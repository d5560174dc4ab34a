#include "Settings.h"

#include "platform/ModulePath.h"
#include "platform/Profile.h"

void Settings::Open(const char* fileName)
{
    path_ = plat::GetProgramFolder() + plat::kPathSeparator + (fileName ? fileName : "");
}

bool Settings::Read(const char* section, const char* key, const char* defaultValue, char* buffer, uint32_t size)
{
    plat::GetPrivateProfileString(section, key, defaultValue, buffer, size, path_.c_str());
    return true;
}

bool Settings::Write(const char* section, const char* key, const char* value)
{
    return plat::WritePrivateProfileString(section, key, value, path_.c_str());
}
