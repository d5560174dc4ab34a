// Keeps requests to one host at least a fixed interval apart (web services ask for at most one
// request a second). Shared by every client of the process; the clock is replaceable for tests.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace net
{

class RateLimiter
{
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;
    using Sleep = std::function<void(Clock::duration)>;

    explicit RateLimiter(Clock::duration interval = std::chrono::seconds(1), Now now = {},
                         Sleep sleep = {});

    // Waits until the host may be asked again and books the request.
    void Acquire(const std::string& host);

    // The limiter every client uses unless it is given another one.
    static RateLimiter& Shared();

private:
    Clock::duration interval_;
    Now now_;
    Sleep sleep_;
    std::mutex mutex_;
    std::map<std::string, Clock::time_point> next_;
};

} // namespace net
