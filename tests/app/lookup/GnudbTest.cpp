// gnudb over HTTP against a local server serving the recorded CDDB replies: query, read,
// parse through the disc-information library, the cache, and the replies it must refuse.
#include "LookupTestData.h"

#include "app/lookup/DiscLookup.h"
#include "app/lookup/Gnudb.h"
#include "app/net/RateLimiter.h"
#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace lookup;
using lookuptest::CaptureBody;
using lookuptest::Metadata;

namespace
{

class GnudbTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
        testsupport::WriteFile(root / "query.txt",
                               CaptureBody("cddbp/cdigw/cddb-query-proto-6.txt"));
        testsupport::WriteFile(root / "read.txt", CaptureBody("cddbp/cdigw/cddb-read-proto-6.txt"));
        settings.musicBrainzUrl = server.url();
        settings.gnudbUrl = server.url() + "/~cddb/cddb.cgi";
    }
    void TearDown() override { ::unsetenv("XDG_CACHE_HOME"); }

    SourceResult Look(const DiscQuery& q = lookuptest::FamilyJewels())
    {
        return LookUpDisc(q, settings, nullptr, &limiter);
    }

    testsupport::TempDir cache, root;
    testsupport::LocalHttpServer server{root.path()};
    LookupSettings settings;
    net::RateLimiter limiter{std::chrono::seconds(0)};
};

} // namespace

TEST_F(GnudbTest, QueryThenReadThroughTheLibraryAndCached)
{
    server.Route("/ws/2/", "busy 60"); // MusicBrainz busy beyond the time-out: gnudb answers
    server.Route("cmd=cddb+query", "file query.txt");
    server.Route("cmd=cddb+read", "file read.txt");
    SourceResult r = Look();
    ASSERT_EQ(r.releases.size(), 3u); // data, misc, rock
    const DiscMetadata& d = r.releases[0];
    EXPECT_EQ(d.source, "gnudb");
    EXPECT_EQ(d.artist, "Marina & The Diamonds");
    EXPECT_EQ(d.title, "The Family Jewels");
    EXPECT_EQ(d.year, "2010");
    EXPECT_EQ(d.genre, "Pop");
    ASSERT_EQ(d.tracks.size(), 13u);
    EXPECT_EQ(d.tracks[0].title, "Are You Satisfied?");
    EXPECT_EQ(d.tracks[12].title, "Guilty");
    ASSERT_FALSE(r.messages.empty());
    EXPECT_NE(r.messages[0].find("busy (503)"), std::string::npos) << r.messages[0];

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[1],
              "/~cddb/cddb.cgi?cmd=cddb+query+940aac0d+13+150+15239+29625+45763+61420+75862+"
              "91642+108918+123698+139895+153589+169239+188495+2734&hello=veltracdrip+localhost+"
              "VeltraCDRip+" +
                  std::string(VELTRA_TEST_VERSION) + "&proto=6");
    EXPECT_NE(requests[2].find("cmd=cddb+read+data+940aac0d&"), std::string::npos);
    EXPECT_EQ(testsupport::ReadFile(cache / "veltracdrip/cddb/misc/940aac0d"),
              CddbRecordOfReadReply(CaptureBody("cddbp/cdigw/cddb-read-proto-6.txt")));

    // Known offline: the server is gone, the cache answers.
    server.Stop();
    r = Look();
    ASSERT_EQ(r.releases.size(), 3u);
    EXPECT_EQ(r.releases[1].title, "The Family Jewels");
}

TEST_F(GnudbTest, RefusedAndLegacyRecords)
{
    server.Route("cmd=cddb+query", "file query.txt");
    server.Route("cmd=cddb+read", "file read.txt");
    // A record the library refuses (tracks out of sequence): no candidate, one line each.
    testsupport::WriteFile(
        root / "read.txt",
        "210 rock 940aac0d CD database entry follows\r\n" +
            testsupport::ReadFile(testsupport::SharedTestData() +
                                  "/cddb/bad.peik.corrupt_song_7_missing.TTITLE_sequence.txt") +
            ".\r\n");
    SourceResult r = Look();
    EXPECT_TRUE(r.releases.empty());
    ASSERT_FALSE(r.messages.empty());
    EXPECT_NE(r.messages.back().find("refuses the record"), std::string::npos);

    // Not found, and a reply that is no CDDB reply at all.
    testsupport::WriteFile(root / "query.txt", "202 No match for disc ID 940aac0d.\r\n");
    r = Look();
    EXPECT_TRUE(r.releases.empty());
    EXPECT_NE(r.messages.back().find("disc not found (202"), std::string::npos);
    EXPECT_TRUE(ParseCddbQueryReply("<html>error</html>").empty());
    EXPECT_TRUE(CddbRecordOfReadReply("401 no such entry\r\n").empty());
    // Names from the network never make cache paths.
    EXPECT_TRUE(ParseCddbQueryReply("200 ../x 940aac0d A / B\r\n").empty());
    EXPECT_TRUE(ParseCddbQueryReply("200 rock 940aac0d/.. A / B\r\n").empty());

    // A Latin-1 record of four tracks.
    DiscQuery q;
    q.offsets = {150, 25324, 44858, 76057};
    q.leadout = 1374 * 75;
    DiscMetadata d;
    std::string message;
    ASSERT_TRUE(ParseCddbRecord(
        testsupport::ReadFile(testsupport::SharedTestData() + "/cddb/good.rubyripper.ISO88591.txt"),
        q, d, message));
    EXPECT_EQ(d.artist, "Tuhonvarjo");
    EXPECT_EQ(d.tracks[2].title, "Joutsenen Siivill\xC3\xA4");
    EXPECT_NE(message.find("Latin-1"), std::string::npos);
    // The same record for a disc of another length is not this disc's.
    q.offsets.pop_back();
    EXPECT_FALSE(ParseCddbRecord(
        testsupport::ReadFile(testsupport::SharedTestData() + "/cddb/good.rubyripper.ISO88591.txt"),
        q, d, message));
}
