#include "DynamicLibrary.h"

#include "LastError.h"
#include "ModulePath.h"

#include <cstring>
#include <dlfcn.h>
#include <strings.h>
#include <unistd.h>

namespace plat
{

std::string PlatformLibraryName(const char* fileName)
{
    std::string name = fileName ? fileName : "";
    if (name.find(kPathSeparator) != std::string::npos) return name;
    if (name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".dll") == 0)
        return "lib" + name.substr(0, name.size() - 4) + ".so";
    return name;
}

ModuleHandle LoadLibrary(const char* fileName)
{
    if (!fileName || !*fileName) {
        SetLastError(kErrorInvalidParameter);
        return nullptr;
    }
    const std::string name = PlatformLibraryName(fileName);
    void* handle = nullptr;
    if (name.find(kPathSeparator) != std::string::npos) {
        handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    } else {
        for (const std::string& folder : {GetOwnModuleFolder(), GetProgramFolder()}) {
            if (folder.empty()) continue;
            std::string path = folder + kPathSeparator + name;
            if (access(path.c_str(), F_OK) != 0) continue;
            handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (handle) break;
        }
        if (!handle) handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!handle) {
        SetLastError(kErrorModNotFound);
        return nullptr;
    }
    return reinterpret_cast<ModuleHandle>(handle);
}

void* GetProcAddress(ModuleHandle module, const char* name)
{
    if (!module || !name) {
        SetLastError(kErrorInvalidParameter);
        return nullptr;
    }
    void* entry = dlsym(reinterpret_cast<void*>(module), name);
    if (!entry) SetLastError(kErrorProcNotFound);
    return entry;
}

bool FreeLibrary(ModuleHandle module)
{
    if (!module) return false;
    return dlclose(reinterpret_cast<void*>(module)) == 0;
}

} // namespace plat
