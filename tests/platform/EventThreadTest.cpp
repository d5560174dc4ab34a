#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/Thread.h"

#include <atomic>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

using namespace plat;

TEST(Event, AutoResetIsConsumedByOneWaitManualResetStays)
{
    EventHandle autoEvent = CreateEvent(false, true);
    EventHandle manualEvent = CreateEvent(true, true);
    EXPECT_EQ(WaitForEvent(autoEvent, 0), kWaitObject0);
    EXPECT_EQ(WaitForEvent(autoEvent, 0), kWaitTimeout);
    EXPECT_EQ(WaitForEvent(manualEvent, 0), kWaitObject0);
    EXPECT_EQ(WaitForEvent(manualEvent, 0), kWaitObject0);
    ResetEvent(manualEvent);
    EXPECT_EQ(WaitForEvent(manualEvent, 10), kWaitTimeout);
    CloseEvent(autoEvent);
    CloseEvent(manualEvent);
}

TEST(Event, WaitForAnyReportsTheSignalledOneAndConsumesOnlyIt)
{
    EventHandle events[3] = {CreateEvent(false, false), CreateEvent(false, false),
                             CreateEvent(false, false)};
    SetEvent(events[2]);
    SetEvent(events[1]);
    EXPECT_EQ(WaitForAnyEvent(events, 3, 0), kWaitObject0 + 1);
    EXPECT_EQ(WaitForAnyEvent(events, 3, 0), kWaitObject0 + 2);
    EXPECT_EQ(WaitForAnyEvent(events, 3, 20), kWaitTimeout);
    EXPECT_EQ(WaitForAnyEvent(nullptr, 3, 0), kWaitFailed);
    for (auto e : events)
        CloseEvent(e);
}

namespace
{
struct Wake {
    EventHandle event;
    std::atomic<bool> waited{false};
};

unsigned SetAfterDelay(void* arg)
{
    auto* wake = static_cast<Wake*>(arg);
    Sleep(30);
    SetEvent(wake->event);
    return 0;
}

unsigned ReportPolicy(void* arg)
{
    Sleep(50);
    *static_cast<std::atomic<int>*>(arg) = sched_getscheduler(0);
    return 0;
}

unsigned SetAfterDelayZero(void*)
{
    return 0;
}

unsigned BlockOnEvent(void* arg)
{
    WaitForEvent(static_cast<EventHandle>(arg), kInfinite);
    return 0;
}
} // namespace

TEST(Thread, AnotherThreadWakesAnInfiniteWait)
{
    Wake wake{CreateEvent(false, false)};
    ThreadHandle t = CreateThread(SetAfterDelay, &wake);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(WaitForEvent(wake.event, kInfinite), kWaitObject0);
    EXPECT_EQ(WaitForThread(t, 5000), kWaitObject0);
    CloseThreadHandle(t);
    CloseEvent(wake.event);
}

TEST(Thread, IdlePriorityIsTheIdleSchedulingClass)
{
    std::atomic<int> policy{-1};
    ThreadHandle t = CreateThread(ReportPolicy, &policy);
    ASSERT_TRUE(SetThreadIdlePriority(t));
    ASSERT_EQ(WaitForThread(t, 5000), kWaitObject0);
    EXPECT_EQ(policy.load(), SCHED_IDLE);
    CloseThreadHandle(t);
}

TEST(Thread, NormalPriorityLiftsAThreadOutOfTheIdleClass)
{
    EventHandle go = CreateEvent(true, false);
    struct Run {
        EventHandle go;
        std::atomic<int> policy{-1};
    } run{go};
    ThreadHandle t = CreateThread(
        [](void* arg) -> unsigned {
            auto* r = static_cast<Run*>(arg);
            WaitForEvent(r->go, kInfinite);
            int policy = -1;
            sched_param param{};
            pthread_getschedparam(pthread_self(), &policy, &param);
            r->policy = policy;
            return 0;
        },
        &run);
    ASSERT_TRUE(SetThreadIdlePriority(t));
    ASSERT_TRUE(SetThreadNormalPriority(t));
    SetEvent(go);
    ASSERT_EQ(WaitForThread(t, 5000), kWaitObject0);
    EXPECT_EQ(run.policy.load(), SCHED_OTHER);
    EXPECT_FALSE(SetThreadNormalPriority(t)); // ended
    CloseThreadHandle(t);
    CloseEvent(go);
}

TEST(Thread, WaitTimesOutWhileRunningAndAClosedHandleLetsTheThreadFinish)
{
    EventHandle release = CreateEvent(true, false);
    // A first thread may start helper threads of the runtime (a sanitizer's, say): count after it.
    ThreadHandle warmUp = CreateThread(SetAfterDelayZero, nullptr);
    WaitForThread(warmUp, kInfinite);
    CloseThreadHandle(warmUp);
    const int before = CountProcessThreads();
    ThreadHandle t = CreateThread(BlockOnEvent, release);
    EXPECT_EQ(WaitForThread(t, 30), kWaitTimeout);
    EXPECT_FALSE(ThreadHasEnded(t));
    ThreadHandle again = t;
    (void)again;
    SetEvent(release);
    EXPECT_EQ(WaitForThread(t, 5000), kWaitObject0);
    CloseThreadHandle(t);
    for (int i = 0; i < 100 && CountProcessThreads() > before; ++i)
        Sleep(10);
    EXPECT_EQ(CountProcessThreads(), before);
    CloseEvent(release);
}

TEST(CriticalSection, IsRecursive)
{
    CriticalSection cs;
    CriticalSectionLock outer(cs);
    CriticalSectionLock inner(cs); // would deadlock on a plain mutex
    SUCCEED();
}
