// Private-profile (INI file) access with the Win32 semantics: one key per call, sections and
// keys matched without regard to case, every other line of the file kept as it was.
#pragma once

#include <cstdint>

namespace plat
{

// Copies the value (or the default when the file, section or key is missing) into the buffer,
// cut to size - 1 characters, and returns the number of characters copied.
uint32_t GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                 char* buffer, uint32_t size, const char* fileName);

// Writes key=value into the section, creating the file and the section as needed. A null value
// deletes the key; a null key deletes the whole section. False when the file cannot be written.
bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* fileName);

} // namespace plat
