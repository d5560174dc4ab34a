// Conversion from the single-byte "ANSI" code page to UTF-16. On this platform the ANSI code
// page is Windows-1252.
#pragma once

#include <cstdint>

namespace plat
{

constexpr uint32_t kCodePageAnsi = 0; // CP_ACP
constexpr uint32_t kCodePage1252 = 1252;
constexpr uint32_t kPrecomposed = 1; // MB_PRECOMPOSED

uint32_t GetAnsiCodePage();

// The UTF-16 unit of one Windows-1252 byte.
char16_t Cp1252ToUtf16(unsigned char byte);

// Win32 MultiByteToWideChar: a length of -1 converts up to and including the NUL; a wide size
// of 0 asks for the number of units needed. Returns the units written (or needed), 0 on
// failure with the last error set (87 for an empty or null text, 122 for a small buffer).
int MultiByteToWideChar(uint32_t codePage, uint32_t flags, const char* text, int length,
                        char16_t* wide, int wideSize);

} // namespace plat
