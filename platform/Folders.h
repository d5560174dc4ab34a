// Folder functions: existence (can it be made current), one-level creation, current folder.
#pragma once

#include <string>

namespace plat
{

// True when the path is a folder that could be made the current folder. The current folder
// itself is not touched, so other threads may rely on it meanwhile.
bool CanEnterDirectory(const char* path);
// Creates one folder level; false (with the last error set) when it fails or already exists.
bool CreateDirectory(const char* path);
std::string GetCurrentDirectory();
bool SetCurrentDirectory(const char* path);

} // namespace plat
