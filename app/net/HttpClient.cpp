#include "HttpClient.h"

#include "CurlLibrary.h"
#include "RateLimiter.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#ifndef VELTRA_VERSION
#define VELTRA_VERSION "0"
#endif
#ifndef VELTRA_CONTACT
#define VELTRA_CONTACT "https://veltracdrip.example/"
#endif

namespace net
{

namespace
{

struct Transfer {
    std::string body;
    std::string contentType;
    long retryAfter = -1;
    size_t maxBody = 0;
    bool tooLarge = false;
    const std::atomic<bool>* cancel = nullptr;
};

size_t OnBody(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (t->body.size() + n > t->maxBody) {
        t->tooLarge = true;
        return 0; // ends the transfer with a write error
    }
    t->body.append(data, n);
    return n;
}

std::string Trim(std::string s)
{
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    size_t start = s.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : s.substr(start);
}

size_t OnHeader(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    const std::string line(data, n);
    const size_t colon = line.find(':');
    if (colon != std::string::npos) {
        std::string name = line.substr(0, colon);
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::string value = Trim(line.substr(colon + 1));
        // Only the delay form: an HTTP date would need the server's clock to be trusted.
        if (name == "retry-after") {
            char* end = nullptr;
            const long seconds = std::strtol(value.c_str(), &end, 10);
            t->retryAfter = (end != value.c_str() && *end == '\0' && seconds >= 0) ? seconds : -1;
        } else if (name == "content-type") {
            t->contentType = value;
        }
    } else if (line.rfind("HTTP/", 0) == 0) {
        // A new status line (after a redirect) starts a new set of headers.
        t->retryAfter = -1;
        t->contentType.clear();
    }
    return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* t = static_cast<Transfer*>(user);
    return (t->cancel && t->cancel->load()) ? 1 : 0;
}

struct CurlDeleter {
    const CurlLibrary* curl;
    void operator()(CURL* c) const { curl->easyCleanup(c); }
};

} // namespace

std::string DefaultUserAgent()
{
    return std::string("VeltraCDRip/") + VELTRA_VERSION + " ( " + VELTRA_CONTACT + " )";
}

HttpClient::HttpClient(HttpOptions options, RateLimiter* limiter)
    : options_(std::move(options)), limiter_(limiter ? limiter : &RateLimiter::Shared())
{
    if (options_.timeoutSeconds <= 0) options_.timeoutSeconds = 10;
    if (options_.userAgent.empty()) options_.userAgent = DefaultUserAgent();
}

std::string HttpClient::HostOf(const std::string& url)
{
    size_t start = url.find("://");
    start = (start == std::string::npos) ? 0 : start + 3;
    size_t end = url.find_first_of("/?#", start);
    std::string host =
        url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (const size_t at = host.rfind('@'); at != std::string::npos) host.erase(0, at + 1);
    return host;
}

std::string HttpClient::Escape(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

HttpResponse HttpClient::Get(const std::string& url)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + seconds(options_.timeoutSeconds);
    const std::string host = HostOf(url);
    bool retried = false;
    for (;;) {
        limiter_->Acquire(host);
        const long leftMs =
            static_cast<long>(duration_cast<milliseconds>(deadline - steady_clock::now()).count());
        if (leftMs <= 0) {
            HttpResponse r;
            r.status = HttpStatus::Timeout;
            r.error = "no answer from " + host + " within " +
                      std::to_string(options_.timeoutSeconds) + " s";
            return r;
        }
        long retryAfter = -1;
        HttpResponse r = Attempt(url, leftMs, &retryAfter);
        if (r.status != HttpStatus::Busy || retried || retryAfter < 0) return r;
        // Honour the server's wait once, and only when the answer can still come in time.
        const auto resume = steady_clock::now() + seconds(retryAfter);
        if (resume >= deadline) {
            r.error = host + " is busy (503) and asks to wait " + std::to_string(retryAfter) +
                      " s, beyond the time-out of " + std::to_string(options_.timeoutSeconds) +
                      " s";
            return r;
        }
        while (steady_clock::now() < resume) {
            if (options_.cancel && options_.cancel->load()) {
                r.status = HttpStatus::Cancelled;
                r.error = "cancelled";
                return r;
            }
            std::this_thread::sleep_for(
                std::min<steady_clock::duration>(resume - steady_clock::now(), milliseconds(100)));
        }
        retried = true;
    }
}

HttpResponse HttpClient::Attempt(const std::string& url, long timeoutMs, long* retryAfterSeconds)
{
    HttpResponse r;
    const std::string host = HostOf(url);
    const CurlLibrary* lib = Curl(r.error);
    if (!lib) return r;
    std::unique_ptr<CURL, CurlDeleter> curl(lib->easyInit(), CurlDeleter{lib});
    if (!curl) {
        r.error = "cannot start an HTTP request";
        return r;
    }
    Transfer t;
    t.maxBody = options_.maxBodyBytes;
    t.cancel = options_.cancel;
    CURL* c = curl.get();
    char errorText[CURL_ERROR_SIZE] = {};
    lib->easySetopt(c, CURLOPT_URL, url.c_str());
    lib->easySetopt(c, CURLOPT_USERAGENT, options_.userAgent.c_str());
    lib->easySetopt(c, CURLOPT_TIMEOUT_MS, timeoutMs);
    lib->easySetopt(c, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    lib->easySetopt(c, CURLOPT_NOSIGNAL, 1L);
    lib->easySetopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    lib->easySetopt(c, CURLOPT_MAXREDIRS, 5L);
#if LIBCURL_VERSION_NUM >= 0x075500
    lib->easySetopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    lib->easySetopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#endif
    lib->easySetopt(c, CURLOPT_ACCEPT_ENCODING, "");
    lib->easySetopt(c, CURLOPT_ERRORBUFFER, errorText);
    lib->easySetopt(c, CURLOPT_WRITEFUNCTION, OnBody);
    lib->easySetopt(c, CURLOPT_WRITEDATA, &t);
    lib->easySetopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
    lib->easySetopt(c, CURLOPT_HEADERDATA, &t);
    lib->easySetopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
    lib->easySetopt(c, CURLOPT_XFERINFODATA, &t);
    lib->easySetopt(c, CURLOPT_NOPROGRESS, 0L);

    const CURLcode rc = lib->easyPerform(c);
    lib->easyGetinfo(c, CURLINFO_RESPONSE_CODE, &r.code);
    r.contentType = t.contentType;
    *retryAfterSeconds = t.retryAfter;
    const std::string detail = errorText[0] ? errorText : lib->easyStrerror(rc);

    switch (rc) {
    case CURLE_OK:
        break;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
        r.status = HttpStatus::NoNetwork;
        r.error = "no network: cannot reach " + host + " (" + detail + ")";
        return r;
    case CURLE_OPERATION_TIMEDOUT:
        r.status = HttpStatus::Timeout;
        r.error =
            "no answer from " + host + " within " + std::to_string(options_.timeoutSeconds) + " s";
        return r;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
        r.status = HttpStatus::Cut;
        r.error = "the reply from " + host + " was cut short (" + detail + ")";
        return r;
    case CURLE_ABORTED_BY_CALLBACK:
        r.status = HttpStatus::Cancelled;
        r.error = "cancelled";
        return r;
    case CURLE_WRITE_ERROR:
        if (t.tooLarge) {
            r.status = HttpStatus::TooLarge;
            r.error = "the reply from " + host + " is larger than " +
                      std::to_string(options_.maxBodyBytes) + " bytes";
            return r;
        }
        [[fallthrough]];
    default:
        r.status = HttpStatus::Failed;
        r.error = "request to " + host + " failed: " + detail;
        return r;
    }

    if (r.code == 404) {
        r.status = HttpStatus::NotFound;
        r.error = "not found (404) at " + host;
    } else if (r.code == 503) {
        r.status = HttpStatus::Busy;
        r.error = host + " is busy (503)";
    } else if (r.code >= 400 || r.code < 200) {
        r.status = HttpStatus::HttpError;
        r.error = "HTTP status " + std::to_string(r.code) + " from " + host;
    } else {
        r.status = HttpStatus::Ok;
        r.body = std::move(t.body);
    }
    return r;
}

} // namespace net
