// Where the running program and the loaded libraries live.
#pragma once

#include <string>

namespace plat {

constexpr char kPathSeparator = '/';

// Full path of the running program file; empty when it cannot be read.
std::string GetProgramPath();
// The program's path cut at its last separator.
std::string GetProgramFolder();
// Folder of the loaded module (program or shared library) that holds the given address.
std::string GetModuleFolder(const void* addressInModule);
// Folder of the module that this copy of the platform layer is linked into.
std::string GetOwnModuleFolder();
// The part of a path before its last separator ("" when there is none).
std::string FolderOf(const std::string& path);

} // namespace plat
