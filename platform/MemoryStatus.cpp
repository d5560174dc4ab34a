#include "MemoryStatus.h"

#include <cstdio>
#include <cstring>
#include <sys/resource.h>

namespace plat
{

namespace
{

// Value of one "Name:   123 kB" line of a /proc file, in bytes; 0 when missing.
uint64_t ProcValue(const char* file, const char* name)
{
    FILE* f = std::fopen(file, "r");
    if (!f) return 0;
    char line[256];
    uint64_t value = 0;
    size_t len = std::strlen(name);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, name, len) == 0 && line[len] == ':') {
            unsigned long long kb = 0;
            if (std::sscanf(line + len + 1, "%llu", &kb) == 1) value = kb * 1024ull;
            break;
        }
    }
    std::fclose(f);
    return value;
}

} // namespace

MemoryStatus GlobalMemoryStatus()
{
    MemoryStatus status;
    uint64_t total = ProcValue("/proc/meminfo", "MemTotal");
    uint64_t avail = ProcValue("/proc/meminfo", "MemAvailable");
    status.availPhysical = avail;
    if (total > 0 && avail <= total)
        status.memoryLoad = static_cast<uint32_t>(100 - (avail * 100) / total);

    // Address space: the user half of a 47-bit space, or the process's limit, less what is used.
    uint64_t space = 1ull << 47;
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        space = limit.rlim_cur;
    uint64_t used = ProcValue("/proc/self/status", "VmSize");
    status.availVirtual = used < space ? space - used : 0;
    return status;
}

} // namespace plat
