// AccurateRip online against a local server serving real database responses: the database's
// path, a match, 404, a time-out, refused answers, and the cache reused offline.
#include "app/verify/AccurateRipLookup.h"
#include "app/net/RateLimiter.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace verify;
using testsupport::LocalHttpServer;
using testsupport::TempDir;

namespace
{

const char kName[] = "dBAR-013-00206791-01486a82-a710de0d";

AccurateRipDiscId Disc()
{
    return {13, 0x00206791, 0x01486a82, 0xa710de0d};
}

std::string Responses()
{
    return testsupport::SharedTestData() + "/accuraterip/arver/responses";
}

ArLookupResult Look(const std::string& url, const std::string& cache, int timeout = 5)
{
    static net::RateLimiter noLimit(std::chrono::seconds(0));
    ArLookupSettings settings;
    settings.baseUrl = url;
    settings.cacheFolder = cache;
    settings.timeoutSeconds = timeout;
    return LookUpAccurateRip(Disc(), settings, nullptr, &noLimit);
}

} // namespace

TEST(AccurateRipLookup, FetchesCachesAndVerifiesOffline)
{
    LocalHttpServer server(Responses());
    server.Route(kName, std::string("file ") + kName + ".bin");
    TempDir cache;
    // The last three hex digits of the first id, last first; a trailing slash is no second one.
    EXPECT_EQ(AccurateRipUrl("http://h/accuraterip/", Disc()),
              std::string("http://h/accuraterip/1/9/7/") + kName + ".bin");

    const ArLookupResult first = Look(server.url() + "/accuraterip", cache.path());
    ASSERT_TRUE(first.found()) << first.message;
    EXPECT_FALSE(first.fromCache);
    EXPECT_TRUE(first.cacheWritten);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], std::string("/accuraterip/1/9/7/") + kName + ".bin");
    ASSERT_FALSE(first.response.blocks.empty());
    EXPECT_TRUE(ResponseIsFor(first.response, Disc()));

    server.Stop();
    const ArLookupResult again = Look(server.url() + "/accuraterip", cache.path());
    ASSERT_TRUE(again.found()) << again.message;
    EXPECT_TRUE(again.fromCache);
    EXPECT_EQ(again.response.blocks.size(), first.response.blocks.size());
    EXPECT_EQ(again.response.blocks[0].entries[3].checksum,
              first.response.blocks[0].entries[3].checksum);

    // With the server gone and no cache: no answer, one line.
    TempDir empty;
    const ArLookupResult none = Look(server.url(), empty.path());
    EXPECT_EQ(none.status, ArLookupStatus::Unavailable);
    EXPECT_NE(none.message.find("no answer from"), std::string::npos) << none.message;
    EXPECT_EQ(none.message.find('\n'), std::string::npos);
}

TEST(AccurateRipLookup, MissingSlowAndBadAnswersLeaveTheDiscUnverified)
{
    LocalHttpServer server(Responses());
    TempDir cache;
    const std::string url = server.url();

    const ArLookupResult missing = Look(url, cache.path());
    EXPECT_EQ(missing.status, ArLookupStatus::NotInDatabase);
    EXPECT_EQ(missing.message, "not in database");

    server.Route(kName, std::string("slow 4 ") + kName + ".bin");
    const ArLookupResult slow = Look(url, cache.path(), 1);
    EXPECT_EQ(slow.status, ArLookupStatus::Unavailable) << slow.message;

    // Cut short, another disc's response, a file that is no response: refused, none cached.
    for (const std::string& action :
         {std::string("file truncated_response.bin"), std::string("cut ") + kName + ".bin",
          std::string("file dBAR-042-00b15696-110290c9-b6115d2b.bin"),
          std::string("file wrong_header.bin"),
          std::string("file dBAR-013-00206791-01486a82-a710de0d.json")}) {
        LocalHttpServer bad(Responses());
        bad.Route(kName, action);
        const ArLookupResult r = Look(bad.url(), cache.path());
        EXPECT_FALSE(r.found()) << action;
        EXPECT_NE(r.status, ArLookupStatus::NotInDatabase) << action;
        EXPECT_FALSE(r.message.empty()) << action;
        EXPECT_TRUE(r.response.blocks.empty()) << action;
    }
    EXPECT_FALSE(std::filesystem::exists(cache / (std::string(kName) + ".bin")));

    // A cache folder that cannot be written: the lookup still finds the disc.
    LocalHttpServer good(Responses());
    good.Route(kName, std::string("file ") + kName + ".bin");
    TempDir blocked;
    testsupport::WriteFile(blocked / "file", "x");
    const ArLookupResult found = Look(good.url(), blocked / "file");
    EXPECT_TRUE(found.found()) << found.message;
    EXPECT_FALSE(found.cacheWritten);
}
