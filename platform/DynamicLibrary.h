// Dynamic libraries loaded by file name: "X.dll" stands for "libX.so", looked for beside the
// module that asks, then in the program's folder, then through the system's search.
#pragma once

#include <string>

namespace plat
{

struct ModuleObject;
using ModuleHandle = ModuleObject*;

// Null when the library cannot be loaded (last error 126).
ModuleHandle LoadLibrary(const char* fileName);
// Null when the entry point is missing (last error 127).
void* GetProcAddress(ModuleHandle module, const char* name);
bool FreeLibrary(ModuleHandle module);

// The file name a "X.dll" name maps to on this platform; other names are kept.
std::string PlatformLibraryName(const char* fileName);

} // namespace plat
