// MusicBrainz replies recorded from the web service, parsed and fetched from a local server.
#include "LookupTestData.h"

#include "app/lookup/DiscLookup.h"
#include "app/lookup/MusicBrainz.h"
#include "app/net/RateLimiter.h"
#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

using namespace lookup;
using lookuptest::Metadata;

namespace
{

DiscQuery Privateering3()
{
    DiscQuery q; // TOCS.tsv: 7Nz4XI2avmjJkZno9SlDJY7s36E-, disc 3 of the box
    q.musicBrainzDiscId = "7Nz4XI2avmjJkZno9SlDJY7s36E-";
    q.offsets = {150, 19804, 36537};
    q.leadout = 73170;
    return q;
}

net::RateLimiter& NoLimit()
{
    static net::RateLimiter limiter(std::chrono::seconds(0));
    return limiter;
}

} // namespace

TEST(MusicBrainz, RecordedRepliesGiveTheMatchingMedium)
{
    SourceResult r = ParseMusicBrainzReply(
        testsupport::ReadFile(Metadata("musicbrainz/cdigw/disc_with_genre.json")), Privateering3());
    ASSERT_EQ(r.releases.size(), 1u); // the other releases carry no 3-track medium
    const DiscMetadata& d = r.releases[0];
    EXPECT_EQ(d.title, "Privateering");
    EXPECT_EQ(d.artist, "Mark Knopfler");
    EXPECT_EQ(d.year, "2012");
    EXPECT_EQ(d.discNumber, 3);
    EXPECT_EQ(d.discTotal, 3);
    EXPECT_EQ(d.musicBrainzDiscId, "7Nz4XI2avmjJkZno9SlDJY7s36E-");
    EXPECT_EQ(d.musicBrainzReleaseId, "f7ebe768-d0e8-4f8b-92e9-71d86e9a4e99");
    EXPECT_EQ(d.genre, ""); // this release has no genres
    ASSERT_EQ(d.tracks.size(), 3u);
    EXPECT_EQ(d.tracks[0].title, "Occupation Blues");
    EXPECT_EQ(d.tracks[0].artist, "Mark Knopfler");
    EXPECT_EQ(d.tracks[0].musicBrainzRecordingId.size(), 36u);

    DiscQuery first = Privateering3();
    first.musicBrainzDiscId = "77diLBmOzvdQyy.JKG10eMh2STU-";
    first.offsets.assign(10, 150);
    r = ParseMusicBrainzReply(
        testsupport::ReadFile(Metadata("musicbrainz/cdigw/disc_with_genre.json")), first);
    ASSERT_EQ(r.releases.size(), 3u);
    EXPECT_EQ(r.releases[0].genre, "blues");
    EXPECT_EQ(r.releases[0].catalogue, "602537043217");
    EXPECT_EQ(r.releases[0].discNumber, 1);
    EXPECT_EQ(r.releases[2].musicBrainzDiscId, ""); // matched by its track count only

    // Fuzzy reply of a two-disc set: the 19-track disc is the second.
    DiscQuery second;
    second.offsets.assign(19, 150);
    r = ParseMusicBrainzReply(
        testsupport::ReadFile(Metadata("musicbrainz/cdigw/release_with_multiple_discs.json")),
        second);
    ASSERT_FALSE(r.releases.empty());
    EXPECT_EQ(r.releases[0].discNumber, 2);
    EXPECT_EQ(r.releases[0].discTotal, 2);
    EXPECT_EQ(r.releases[0].tracks[0].title, "The Black Dog");
    EXPECT_EQ(r.releases[0].tracks[0].artist, "Taylor Swift");
}

TEST(MusicBrainz, BadRepliesGiveALineAndNoRecord)
{
    DiscQuery two;
    two.offsets = {150, 1000};
    two.leadout = 2000;
    for (const char* bad :
         {"<html><body>502 Bad Gateway</body></html>", "", "[1,2]", "{\"releases\":\"none\"}"}) {
        const SourceResult r = ParseMusicBrainzReply(bad, two);
        EXPECT_TRUE(r.releases.empty()) << bad;
        EXPECT_EQ(r.messages.size(), 1u) << bad;
    }
    // Missing and mistyped fields read as empty.
    const SourceResult r = ParseMusicBrainzReply(
        R"({"releases":[{"title":"T","date":7,"media":[{"position":"x","tracks":[{"title":null},{}]}]},
                        {"media":[{"tracks":[{},{}]}]}]})",
        two);
    ASSERT_EQ(r.releases.size(), 1u);
    EXPECT_EQ(r.releases[0].title, "T");
    EXPECT_EQ(r.releases[0].year, "");
    EXPECT_EQ(r.releases[0].discNumber, 0);
    EXPECT_EQ(r.releases[0].tracks[1].title, "");
}

TEST(MusicBrainz, UnknownIdFallsBackToTheTocOverHttp)
{
    testsupport::TempDir root;
    testsupport::WriteFile(root / "fuzzy.json", testsupport::ReadFile(Metadata(
                                                    "musicbrainz/cdigw/fuzzy_response.json")));
    testsupport::LocalHttpServer server(root.path());
    server.Route("/ws/2/discid/-?toc=", "file fuzzy.json");
    LookupSettings settings;
    settings.musicBrainzUrl = server.url() + "/";
    settings.gnudbUrl.clear();
    const SourceResult r = LookUpDisc(lookuptest::FamilyJewels(), settings, nullptr, &NoLimit());
    ASSERT_FALSE(r.releases.empty());
    EXPECT_EQ(r.releases[0].title, "The Family Jewels");
    EXPECT_EQ(r.releases[0].artist, "Marina & the Diamonds");
    EXPECT_EQ(r.releases[0].tracks[0].title, "Are You Satisfied?");
    EXPECT_EQ(r.releases[0].tracks.size(), 13u);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], "/ws/2/discid/unknownDiscId0000000000000-?inc=recordings+artist-credits+"
                           "release-groups+isrcs+labels&fmt=json");
    EXPECT_EQ(requests[1].rfind("/ws/2/discid/-?toc=1+13+205050+150+15239+", 0), 0u);
}
