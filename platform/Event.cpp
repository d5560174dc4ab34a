#include "Event.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

namespace plat
{

struct EventObject {
    bool manualReset;
    bool signalled;
};

namespace
{

// Events are few and rarely signalled, so one lock and one condition for all of them keeps
// waiting for several events at once simple and free of lost wake-ups.
std::mutex& EventMutex()
{
    static std::mutex m;
    return m;
}

std::condition_variable& EventCondition()
{
    static std::condition_variable cv;
    return cv;
}

} // namespace

EventHandle CreateEvent(bool manualReset, bool initiallySignalled)
{
    return new (std::nothrow) EventObject{manualReset, initiallySignalled};
}

bool SetEvent(EventHandle event)
{
    if (!event) return false;
    {
        std::lock_guard<std::mutex> lock(EventMutex());
        event->signalled = true;
    }
    EventCondition().notify_all();
    return true;
}

bool ResetEvent(EventHandle event)
{
    if (!event) return false;
    std::lock_guard<std::mutex> lock(EventMutex());
    event->signalled = false;
    return true;
}

void CloseEvent(EventHandle event)
{
    delete event;
}

uint32_t WaitForEvent(EventHandle event, uint32_t milliseconds)
{
    return WaitForAnyEvent(&event, 1, milliseconds);
}

uint32_t WaitForAnyEvent(const EventHandle* events, size_t count, uint32_t milliseconds)
{
    if (!events || count == 0) return kWaitFailed;
    for (size_t i = 0; i < count; ++i)
        if (!events[i]) return kWaitFailed;

    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock<std::mutex> lock(EventMutex());
    for (;;) {
        for (size_t i = 0; i < count; ++i) {
            if (events[i]->signalled) {
                if (!events[i]->manualReset) events[i]->signalled = false;
                return kWaitObject0 + static_cast<uint32_t>(i);
            }
        }
        if (milliseconds == kInfinite) {
            EventCondition().wait(lock);
        } else if (EventCondition().wait_until(lock, deadline) == std::cv_status::timeout) {
            // One last look: the event may have been set just as the time ran out.
            for (size_t i = 0; i < count; ++i) {
                if (events[i]->signalled) {
                    if (!events[i]->manualReset) events[i]->signalled = false;
                    return kWaitObject0 + static_cast<uint32_t>(i);
                }
            }
            return kWaitTimeout;
        }
    }
}

} // namespace plat
