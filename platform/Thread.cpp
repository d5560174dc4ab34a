#include "Thread.h"

#include "Event.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <new>
#include <pthread.h>
#include <sched.h>
#include <thread>

namespace plat
{

struct ThreadObject {
    std::thread thread;
    EventHandle ended = nullptr;
    std::atomic<int> references{2}; // the handle and the running thread
    ThreadProc proc = nullptr;
    void* argument = nullptr;
};

namespace
{

void Release(ThreadObject* t)
{
    if (t->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        CloseEvent(t->ended);
        delete t;
    }
}

} // namespace

ThreadHandle CreateThread(ThreadProc proc, void* argument)
{
    if (!proc) return nullptr;
    auto* t = new (std::nothrow) ThreadObject;
    if (!t) return nullptr;
    t->ended = CreateEvent(true, false);
    t->proc = proc;
    t->argument = argument;
    if (!t->ended) {
        delete t;
        return nullptr;
    }
    try {
        t->thread = std::thread([t] {
            t->proc(t->argument);
            SetEvent(t->ended);
            Release(t);
        });
    } catch (...) {
        CloseEvent(t->ended);
        delete t;
        return nullptr;
    }
    return t;
}

bool SetThreadIdlePriority(ThreadHandle thread)
{
    if (!thread || ThreadHasEnded(thread)) return false;
    sched_param param{};
    param.sched_priority = 0;
    return pthread_setschedparam(thread->thread.native_handle(), SCHED_IDLE, &param) == 0;
}

bool SetThreadNormalPriority(ThreadHandle thread)
{
    if (!thread || ThreadHasEnded(thread)) return false;
    sched_param param{};
    param.sched_priority = 0;
    return pthread_setschedparam(thread->thread.native_handle(), SCHED_OTHER, &param) == 0;
}

uint32_t WaitForThread(ThreadHandle thread, uint32_t milliseconds)
{
    if (!thread) return kWaitFailed;
    return WaitForEvent(thread->ended, milliseconds);
}

bool ThreadHasEnded(ThreadHandle thread)
{
    return thread && WaitForEvent(thread->ended, 0) == kWaitObject0;
}

void CloseThreadHandle(ThreadHandle thread)
{
    if (!thread) return;
    if (ThreadHasEnded(thread))
        thread->thread.join();
    else
        thread->thread.detach();
    Release(thread);
}

void Sleep(uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void YieldProcessor()
{
    std::this_thread::yield();
}

int CountProcessThreads()
{
    std::error_code ec;
    int n = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/task", ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        ++n;
    return n;
}

} // namespace plat
