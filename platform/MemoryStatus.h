// The machine's memory state, as the rip's ring sizing asks for it.
#pragma once

#include <cstdint>

namespace plat
{

struct MemoryStatus {
    uint32_t memoryLoad = 0;    // per cent of physical memory in use
    uint64_t availPhysical = 0; // bytes of physical memory available
    uint64_t availVirtual = 0;  // bytes of address space this process may still use
};

MemoryStatus GlobalMemoryStatus();

} // namespace plat
