// One small HTTP client (libcurl) for the web services: a time-out over the whole request, a
// User-Agent naming the program, at most one request a second per host, one honoured
// Retry-After on 503, and a clear line for every way a request fails.
#pragma once

#include <atomic>
#include <string>

namespace net
{

class RateLimiter;

enum class HttpStatus {
    Ok,        // 2xx, body complete
    NoNetwork, // the host could not be resolved or reached
    Timeout,   // no complete answer within the time-out
    NotFound,  // 404
    Busy,      // 503 that stayed 503, or asked for a wait beyond the time-out
    HttpError, // any other status of 400 and up
    Cut,       // the connection ended before the announced body did
    TooLarge,  // the body passed the size bound
    Cancelled, // the caller's cancel flag was set
    Failed,    // anything else libcurl reports
};

struct HttpResponse {
    HttpStatus status = HttpStatus::Failed;
    long code = 0; // the HTTP status code, 0 when none arrived
    std::string body;
    std::string contentType;
    std::string error; // one line for the user; empty when status is Ok
    bool ok() const { return status == HttpStatus::Ok; }
};

struct HttpOptions {
    int timeoutSeconds = 10;
    std::string userAgent; // empty: DefaultUserAgent()
    size_t maxBodyBytes = 32u << 20;
    const std::atomic<bool>* cancel = nullptr; // polled while the transfer runs
};

// "VeltraCDRip/<version> ( <contact URL> )", the form the web services ask for.
std::string DefaultUserAgent();

class HttpClient
{
public:
    explicit HttpClient(HttpOptions options = {}, RateLimiter* limiter = nullptr);

    HttpResponse Get(const std::string& url);

    // The host part of a URL ("" when there is none), the rate limiter's key.
    static std::string HostOf(const std::string& url);
    // Percent-encodes a query value (RFC 3986 unreserved characters kept).
    static std::string Escape(const std::string& text);

private:
    HttpResponse Attempt(const std::string& url, long timeoutMs, long* retryAfterSeconds);

    HttpOptions options_;
    RateLimiter* limiter_;
};

} // namespace net
