// The HTTP client against a local server: replies, failures, Retry-After, the cache folder
// and the rate limiter (on a clock of the test's own).
#include "app/net/HttpClient.h"
#include "app/net/CacheFolder.h"
#include "app/net/RateLimiter.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace net;
using testsupport::LocalHttpServer;
using testsupport::TempDir;

namespace
{

// No waits between requests: the tests ask one local host many times.
RateLimiter& NoLimit()
{
    static RateLimiter limiter(std::chrono::seconds(0));
    return limiter;
}

HttpResponse Fetch(const std::string& url, int timeout = 5)
{
    HttpOptions options;
    options.timeoutSeconds = timeout;
    return HttpClient(options, &NoLimit()).Get(url);
}

} // namespace

TEST(HttpClient, ServesFilesAndNamesTheProgram)
{
    TempDir root;
    testsupport::WriteFile(root / "a.json", "{\"x\":1}");
    LocalHttpServer server(root.path());
    const HttpResponse r = Fetch(server.url() + "/a.json?fmt=json");
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.body, "{\"x\":1}");
    EXPECT_EQ(r.contentType, "application/json");
    ASSERT_EQ(server.UserAgents().size(), 1u);
    EXPECT_EQ(server.UserAgents()[0].rfind("VeltraCDRip/", 0), 0u);
    EXPECT_NE(server.UserAgents()[0].find("( http"), std::string::npos);
}

TEST(HttpClient, EachFailureHasItsStatusAndLine)
{
    TempDir root;
    testsupport::WriteFile(root / "body.txt", std::string(100000, 'x'));
    testsupport::WriteFile(root / "err.html", "<html>oops</html>");
    LocalHttpServer server(root.path());
    server.Route("/slow", "slow 3 body.txt");
    server.Route("/cut", "cut body.txt");
    server.Route("/err", "status 500 err.html");
    server.Route("/busy-long", "busy 30");

    HttpResponse r = Fetch(server.url() + "/missing");
    EXPECT_EQ(r.status, HttpStatus::NotFound);
    EXPECT_NE(r.error.find("404"), std::string::npos);

    r = Fetch(server.url() + "/slow", 1);
    EXPECT_EQ(r.status, HttpStatus::Timeout);
    EXPECT_NE(r.error.find("within 1 s"), std::string::npos) << r.error;

    r = Fetch(server.url() + "/cut");
    EXPECT_EQ(r.status, HttpStatus::Cut) << r.error;
    EXPECT_TRUE(r.body.empty());

    r = Fetch(server.url() + "/err");
    EXPECT_EQ(r.status, HttpStatus::HttpError);
    EXPECT_NE(r.error.find("500"), std::string::npos);

    r = Fetch(server.url() + "/busy-long", 5);
    EXPECT_EQ(r.status, HttpStatus::Busy);
    EXPECT_NE(r.error.find("30 s"), std::string::npos) << r.error;

    HttpOptions small;
    small.maxBodyBytes = 1000;
    r = HttpClient(small, &NoLimit()).Get(server.url() + "/body.txt");
    EXPECT_EQ(r.status, HttpStatus::TooLarge);

    const std::string gone = server.url();
    server.Stop();
    r = Fetch(gone + "/body.txt");
    EXPECT_EQ(r.status, HttpStatus::NoNetwork);
    EXPECT_EQ(r.error.rfind("no network", 0), 0u) << r.error;
}

TEST(HttpClient, RetryAfterIsHonouredOnce)
{
    TempDir root;
    testsupport::WriteFile(root / "ok.txt", "fine");
    LocalHttpServer server(root.path());
    server.Route("/ok.txt", "busy 1");
    const HttpResponse r = Fetch(server.url() + "/ok.txt");
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.body, "fine");
    EXPECT_EQ(server.Requests().size(), 2u);
}

TEST(RateLimiter, SpacesRequestsPerHost)
{
    using Clock = RateLimiter::Clock;
    Clock::time_point now{};
    std::vector<Clock::duration> waits;
    RateLimiter limiter(
        std::chrono::seconds(1), [&] { return now; },
        [&](Clock::duration d) {
            waits.push_back(d);
            now += d;
        });
    limiter.Acquire("a");
    limiter.Acquire("b"); // another host: no wait
    EXPECT_TRUE(waits.empty());
    now += std::chrono::milliseconds(300);
    limiter.Acquire("a");
    ASSERT_EQ(waits.size(), 1u);
    EXPECT_EQ(waits[0], std::chrono::milliseconds(700));
    limiter.Acquire("a");
    ASSERT_EQ(waits.size(), 2u);
    EXPECT_EQ(waits[1], std::chrono::seconds(1));
    now += std::chrono::seconds(5);
    limiter.Acquire("a");
    EXPECT_EQ(waits.size(), 2u);
}

TEST(CacheFolder, FollowsXdgAndWritesWholeFiles)
{
    TempDir home;
    ::setenv("XDG_CACHE_HOME", home.path().c_str(), 1);
    EXPECT_EQ(CacheFolder("cddb"), home.path() + "/veltracdrip/cddb");
    const std::string file = CacheFolder("cddb") + "/rock/940aac0d";
    EXPECT_FALSE(ReadCached(file));
    ASSERT_TRUE(WriteCached(file, "record"));
    EXPECT_EQ(ReadCached(file).value_or(""), "record");
    EXPECT_FALSE(WriteCached("/proc/veltra/x", "record"));
    ::unsetenv("XDG_CACHE_HOME");

    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "a\nb"})
        EXPECT_FALSE(IsSafeCacheName(bad));
    EXPECT_TRUE(IsSafeCacheName("940aac0d"));
}

TEST(HttpClient, HostAndEscape)
{
    EXPECT_EQ(HttpClient::HostOf("http://127.0.0.1:8080/ws/2?x"), "127.0.0.1:8080");
    EXPECT_EQ(HttpClient::HostOf("https://user@musicbrainz.org"), "musicbrainz.org");
    EXPECT_EQ(HttpClient::Escape("a b+c/é"), "a%20b%2Bc%2F%C3%A9");
}
