// Load and unload notices of the shared library (only in the shared target). Linux has no
// per-thread attach notification, so no thread line is written.
#include "platform/DebugTrace.h"

namespace
{

__attribute__((constructor)) void OnProcessAttach()
{
    plat::DebugTrace("DLL_PROCESS_ATTACH");
}

__attribute__((destructor)) void OnProcessDetach()
{
    plat::DebugTrace("DLL_PROCESS_DETACH");
}

} // namespace
