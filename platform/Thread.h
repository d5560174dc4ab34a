// Threads that start at once, can run at idle priority and are waited for with a time-out.
#pragma once

#include <cstdint>

namespace plat
{

struct ThreadObject;
using ThreadHandle = ThreadObject*;
using ThreadProc = unsigned (*)(void* argument);

// Null when the thread could not be started.
ThreadHandle CreateThread(ThreadProc proc, void* argument);
// Lowest scheduling class: the thread only gets otherwise idle processor time.
bool SetThreadIdlePriority(ThreadHandle thread);
// Back to the normal scheduling class, as the system lifts a thread that has starved.
bool SetThreadNormalPriority(ThreadHandle thread);
// kWaitObject0 once the thread has ended, kWaitTimeout otherwise (see Event.h).
uint32_t WaitForThread(ThreadHandle thread, uint32_t milliseconds);
bool ThreadHasEnded(ThreadHandle thread);
// Releases the handle; a thread still running goes on by itself.
void CloseThreadHandle(ThreadHandle thread);

void Sleep(uint32_t milliseconds);
// Gives the processor to another ready thread, if there is one.
void YieldProcessor();

// Threads of this process that are alive now (for leak checks).
int CountProcessThreads();

} // namespace plat
