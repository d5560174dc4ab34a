// Where the running program and the loaded libraries live.
#pragma once

#include <string>

namespace plat
{

constexpr char kPathSeparator = '/';

// Full path of the running program file; empty when it cannot be read.
std::string GetProgramPath();
// The program's path cut at its last separator.
std::string GetProgramFolder();
// Tests that run the program's code in their own process give it a program folder of its own
// (empty restores the real one).
void SetProgramFolderOverride(const std::string& folder);
// Folder of the loaded module (program or shared library) that holds the given address.
std::string GetModuleFolder(const void* addressInModule);
// Folder of the module that this copy of the platform layer is linked into.
std::string GetOwnModuleFolder();
// The part of a path before its last separator ("" when there is none).
std::string FolderOf(const std::string& path);

} // namespace plat
