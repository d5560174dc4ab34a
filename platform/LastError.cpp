#include "LastError.h"

#include <cerrno>

namespace plat
{

namespace
{
thread_local uint32_t t_lastError = kErrorSuccess;
}

uint32_t GetLastError()
{
    return t_lastError;
}

void SetLastError(uint32_t code)
{
    t_lastError = code;
}

void SetLastErrorFromErrno(int errnoValue)
{
    switch (errnoValue) {
    case 0:
        t_lastError = kErrorSuccess;
        break;
    case ENOENT:
        t_lastError = kErrorFileNotFound;
        break;
    case ENOTDIR:
        t_lastError = kErrorPathNotFound;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        t_lastError = kErrorAccessDenied;
        break;
    case ENOMEM:
        t_lastError = kErrorNotEnoughMemory;
        break;
    case EEXIST:
        t_lastError = kErrorAlreadyExists;
        break;
    default:
        t_lastError = kErrorInvalidParameter;
        break;
    }
}

} // namespace plat
