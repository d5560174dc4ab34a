// Per-thread last error code, numbered as on Win32, for the messages that print it.
#pragma once

#include <cstdint>

namespace plat
{

constexpr uint32_t kErrorSuccess = 0;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorInsufficientBuffer = 122;
constexpr uint32_t kErrorModNotFound = 126;
constexpr uint32_t kErrorProcNotFound = 127;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorNoUnicodeTranslation = 1113;

uint32_t GetLastError();
void SetLastError(uint32_t code);
// Maps an errno value to the nearest Win32 code and stores it.
void SetLastErrorFromErrno(int errnoValue);

} // namespace plat
