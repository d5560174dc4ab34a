#include "RateLimiter.h"

#include <thread>

namespace net
{

RateLimiter::RateLimiter(Clock::duration interval, Now now, Sleep sleep)
    : interval_(interval), now_(std::move(now)), sleep_(std::move(sleep))
{
    if (!now_) now_ = [] { return Clock::now(); };
    if (!sleep_) sleep_ = [](Clock::duration d) { std::this_thread::sleep_for(d); };
}

void RateLimiter::Acquire(const std::string& host)
{
    Clock::time_point slot;
    {
        // Book the slot under the lock and wait outside it, so other hosts are not held up.
        std::lock_guard<std::mutex> lock(mutex_);
        const Clock::time_point now = now_();
        auto it = next_.find(host);
        slot = (it == next_.end() || it->second < now) ? now : it->second;
        next_[host] = slot + interval_;
    }
    for (Clock::time_point now = now_(); now < slot; now = now_())
        sleep_(slot - now);
}

RateLimiter& RateLimiter::Shared()
{
    static RateLimiter limiter;
    return limiter;
}

} // namespace net
