// Win32-style events: auto-reset and manual-reset, waited for singly or as a group (any).
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat
{

struct EventObject;
using EventHandle = EventObject*;

constexpr uint32_t kInfinite = 0xFFFFFFFFu;
constexpr uint32_t kWaitObject0 = 0;
constexpr uint32_t kWaitTimeout = 258;
constexpr uint32_t kWaitFailed = 0xFFFFFFFFu;

// Returns null only when memory runs out.
EventHandle CreateEvent(bool manualReset, bool initiallySignalled);
bool SetEvent(EventHandle event);
bool ResetEvent(EventHandle event);
void CloseEvent(EventHandle event);

// kWaitObject0 when signalled (an auto-reset event is consumed), kWaitTimeout otherwise.
uint32_t WaitForEvent(EventHandle event, uint32_t milliseconds);
// kWaitObject0 + index of the first signalled event; only that one is consumed.
uint32_t WaitForAnyEvent(const EventHandle* events, size_t count, uint32_t milliseconds);

} // namespace plat
