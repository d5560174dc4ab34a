// AccurateRip database responses of real discs: parsed as the other tools parse them, matched
// as they match, and refused when broken or meant for another disc.
#include "app/verify/DbarResponse.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <map>
#include <regex>

using namespace verify;
using testsupport::SharedTestData;

namespace
{

DbarResponse Load(const std::string& relative)
{
    DbarResponse response;
    std::string error;
    EXPECT_TRUE(LoadDbarFile(SharedTestData() + "/accuraterip/" + relative, response, error))
        << error;
    return response;
}

std::string Refusal(const std::string& relative)
{
    DbarResponse response;
    std::string error;
    EXPECT_FALSE(LoadDbarFile(SharedTestData() + "/accuraterip/" + relative, response, error))
        << relative;
    return error;
}

// track -> checksum -> (confidence, 1-based block)
using Table = std::map<int, std::map<uint32_t, std::pair<uint32_t, size_t>>>;

// ARver's expected tables: only entries with a confidence, plus one empty track past the end.
Table ExpectedTable(const std::string& json)
{
    Table table;
    const std::regex track(R"re("(\d+)": \{((?:[^{}]|\{[^{}]*\})*)\})re");
    const std::regex entry(R"re("(\d+)": \{\s*"confidence": (\d+),\s*"response": (\d+)\s*\})re");
    for (std::sregex_iterator t(json.begin(), json.end(), track), end; t != end; ++t) {
        auto& row = table[std::stoi((*t)[1])];
        const std::string body = (*t)[2];
        for (std::sregex_iterator e(body.begin(), body.end(), entry); e != end; ++e)
            row[static_cast<uint32_t>(std::stoul((*e)[1]))] = {std::stoul((*e)[2]),
                                                               std::stoul((*e)[3])};
    }
    return table;
}

Table ParsedTable(const DbarResponse& response)
{
    Table table;
    for (size_t b = 0; b < response.blocks.size(); ++b) {
        const DbarBlock& block = response.blocks[b];
        for (size_t i = 0; i < block.entries.size(); ++i) {
            auto& row = table[static_cast<int>(i) + 1];
            if (block.entries[i].confidence > 0)
                row[block.entries[i].checksum] = {block.entries[i].confidence, b + 1};
        }
    }
    return table;
}

} // namespace

TEST(Dbar, ResponsesOfRealDiscsParseAsArverParsesThem)
{
    for (const char* id : {"001-000441fd-000883fb-020e8801", "013-00206791-01486a82-a710de0d",
                           "099-009fc8d0-224410e4-6308d763", "042-00b15696-110290c9-b6115d2b"}) {
        const std::string base = std::string("arver/responses/dBAR-") + id;
        const DbarResponse response = Load(base + ".bin");
        ASSERT_FALSE(response.blocks.empty()) << id;
        const DbarBlock& first = response.blocks.front();
        EXPECT_EQ(first.disc.Name(), std::string("dBAR-") + id);
        Table expected = ExpectedTable(
            testsupport::ReadFile(SharedTestData() + "/accuraterip/" + base + ".json"));
        // ARver adds an empty track past the last.
        ASSERT_EQ(expected.size(), static_cast<size_t>(first.disc.audioTracks) + 1) << id;
        EXPECT_TRUE(expected[first.disc.audioTracks + 1].empty());
        expected.erase(first.disc.audioTracks + 1);
        EXPECT_EQ(ParsedTable(response), expected) << id;
        EXPECT_TRUE(ResponseIsFor(response, first.disc));
    }
}

TEST(Dbar, ResponsesOfOtherToolsTestsParse)
{
    const DbarResponse two = Load("whipper/dBAR-002-0000f21c-00027ef8-05021002.bin");
    ASSERT_EQ(two.blocks.size(), 2u);
    for (const DbarBlock& b : two.blocks)
        EXPECT_EQ(b.disc.Name(), "dBAR-002-0000f21c-00027ef8-05021002");
    EXPECT_EQ(two.blocks[0].entries[0].confidence, 12u);
    EXPECT_EQ(two.blocks[0].entries[1].confidence, 20u);
    EXPECT_EQ(two.blocks[0].entries[0].checksum, 0x284fc705u);
    EXPECT_EQ(two.blocks[0].entries[1].checksum, 0x9cc1f32eu);
    EXPECT_EQ(two.blocks[1].entries[0].confidence, 7u);
    EXPECT_EQ(two.blocks[1].entries[1].confidence, 7u);
    EXPECT_EQ(two.blocks[1].entries[0].checksum, 0xdc77f9abu);
    EXPECT_EQ(two.blocks[1].entries[1].checksum, 0xdd97d2c3u);

    EXPECT_EQ(Load("whipper/dBAR-011-0010e284-009228a3-9809ff0b.bin").blocks.size(), 32u);
    EXPECT_EQ(Load("whipper/dBAR-020-002e5023-029d8e49-040eaa14.bin").blocks.size(), 1u);

    const DbarResponse bach = Load("libarcstk/dBAR-015-001b9178-014be24e-b40d2d0f.bin");
    ASSERT_EQ(bach.blocks.size(), 3u);
    for (const DbarBlock& b : bach.blocks) {
        EXPECT_EQ(b.disc.Name(), "dBAR-015-001b9178-014be24e-b40d2d0f");
        EXPECT_EQ(b.entries.size(), 15u);
    }
    EXPECT_EQ(bach.blocks[0].entries[0].checksum, 0xB89992E5u);
    EXPECT_EQ(bach.blocks[0].entries[0].frame450, 0x126D875Eu);
    EXPECT_EQ(bach.blocks[0].entries[0].confidence, 24u);
    EXPECT_EQ(bach.blocks[1].entries[0].checksum, 0x98B10E0Fu);
    EXPECT_EQ(bach.blocks[1].entries[0].frame450, 0x35DC25F3u);
    EXPECT_EQ(bach.blocks[1].entries[0].confidence, 20u);
}

TEST(Dbar, BrokenResponsesAreRefused)
{
    EXPECT_NE(Refusal("arver/responses/truncated_response.bin").find("ends inside block 1"),
              std::string::npos);
    // A header that counts 88 tracks in a file of 130 bytes.
    EXPECT_FALSE(Refusal("arver/responses/wrong_header.bin").empty());
    EXPECT_NE(Refusal("no/such/file.bin").find("cannot open"), std::string::npos);

    DbarResponse r;
    std::string error;
    EXPECT_FALSE(ParseDbar(nullptr, 0, r, error));
    const std::vector<uint8_t> noTracks(13, 0);
    EXPECT_FALSE(ParseDbar(noTracks.data(), noTracks.size(), r, error));
    EXPECT_NE(error.find("counts 0 tracks"), std::string::npos);
    // A whole block followed by a stray byte.
    std::vector<uint8_t> block = {1, 1, 0, 0,    0,    2,    0,    0, 0, 3, 0,
                                  0, 0, 5, 0xEF, 0xBE, 0xAD, 0xDE, 0, 0, 0, 0};
    ASSERT_TRUE(ParseDbar(block.data(), block.size(), r, error)) << error;
    EXPECT_EQ(r.blocks[0].entries[0].checksum, 0xDEADBEEFu);
    block.push_back(1);
    EXPECT_FALSE(ParseDbar(block.data(), block.size(), r, error));
    EXPECT_TRUE(r.blocks.empty() || r.blocks.size() == 1);
}

TEST(Dbar, AResponseForAnotherDiscIsRecognised)
{
    const DbarResponse r = Load("arver/responses/dBAR-013-00206791-01486a82-a710de0d.bin");
    AccurateRipDiscId disc{13, 0x00206791, 0x01486a82, 0xa710de0d};
    EXPECT_TRUE(ResponseIsFor(r, disc));
    std::vector<AccurateRipDiscId> others(4, disc);
    others[0].audioTracks = 12;
    others[1].id1 ^= 1;
    others[2].id2 ^= 1;
    others[3].freedb ^= 1;
    for (const AccurateRipDiscId& other : others)
        EXPECT_FALSE(ResponseIsFor(r, other)) << other.Name();
    EXPECT_FALSE(ResponseIsFor(DbarResponse{}, disc));
}

TEST(Dbar, TracksMatchInEitherVersionWithTheirConfidence)
{
    const DbarResponse r = Load("whipper/dBAR-002-0000f21c-00027ef8-05021002.bin");
    // The checksums whipper's tests verify against this response.
    ArMatch t1 = MatchTrack(r, 0, 0x284fc705, 0xdc77f9ab);
    EXPECT_EQ(t1.verdict, ArVerdict::Accurate);
    EXPECT_EQ(t1.v1Confidence, 12u);
    EXPECT_EQ(t1.v2Confidence, 7u);
    EXPECT_EQ(t1.maxConfidence, 12u);
    EXPECT_EQ(MatchText(t1), "accurate (v1 confidence 12, v2 confidence 7, of 12)");
    ArMatch t2 = MatchTrack(r, 1, 0x9cc1f32e, 0xdd97d2c3);
    EXPECT_EQ(t2.v1Confidence, 20u);
    EXPECT_EQ(t2.v2Confidence, 7u);
    EXPECT_EQ(t2.maxConfidence, 20u);

    // One version is enough; only v2 known to the database.
    ArMatch v2only = MatchTrack(r, 1, 0x01234567, 0xdd97d2c3);
    EXPECT_EQ(v2only.verdict, ArVerdict::Accurate);
    EXPECT_EQ(MatchText(v2only), "accurate (v2 confidence 7, of 20)");

    ArMatch wrong = MatchTrack(r, 0, 0xdeadbeef, 0x76543210);
    EXPECT_EQ(wrong.verdict, ArVerdict::NotAccurate);
    EXPECT_EQ(wrong.entries, 2u);
    EXPECT_EQ(MatchText(wrong), "NOT accurate (2 entries, none matches, highest confidence 12)");
    // v1 and v2 of a track never match the other track's slot.
    EXPECT_EQ(MatchTrack(r, 1, 0x284fc705, 0xdc77f9ab).verdict, ArVerdict::NotAccurate);

    // Past the response's tracks (a mixed-mode CD's last audio track), or an unknown track.
    EXPECT_EQ(MatchTrack(r, 2, 0x284fc705, 0).verdict, ArVerdict::NotInDatabase);
    EXPECT_EQ(MatchTrack(r, -1, 0x284fc705, 0).verdict, ArVerdict::NotInDatabase);
    EXPECT_EQ(MatchText(MatchTrack(r, 5, 1, 2)), "not in database");

    // Entries of confidence 0 are no evidence: track 1 of ARver's mixed-mode response.
    const DbarResponse mixed = Load("arver/responses/dBAR-042-00b15696-110290c9-b6115d2b.bin");
    ASSERT_EQ(mixed.blocks[0].entries[0].confidence, 0u);
    EXPECT_EQ(MatchTrack(mixed, 0, mixed.blocks[0].entries[0].checksum, 0).verdict,
              ArVerdict::NotInDatabase);
    EXPECT_EQ(MatchTrack(mixed, 1, 1316541532u, 0).v1Confidence, 1u);
}
