// The disc identifiers against the values other rippers and the databases assert for real
// discs: CUE sheets and cdrdao TOCs of real discs, Enhanced and mixed-mode CDs included.
#include "TocFiles.h"
#include "app/verify/DiscIds.h"
#include "support/TestSupport.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <numeric>
#include <regex>

using namespace verify;
using testsupport::SharedTestData;

namespace
{

std::string Hex(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08x", v);
    return text;
}

// A disc of audio tracks with these lengths after a pregap, and a data track behind the
// session gap when dataLength is not 0 (how the AccurateRip tools describe such discs).
DiscToc DiscOfLengths(const std::vector<uint32_t>& lengths, uint32_t pregap, uint32_t dataLength)
{
    std::vector<TocTrack> tracks;
    uint32_t pos = pregap;
    for (uint32_t len : lengths) {
        tracks.push_back({static_cast<int>(tracks.size()) + 1, pos, false});
        pos += len;
    }
    if (dataLength) {
        pos += CD_ENHANCED_CD_GAP;
        tracks.push_back({static_cast<int>(tracks.size()) + 1, pos, true});
        pos += dataLength;
    }
    return MakeDiscToc(tracks, pos).value();
}

// Offsets counted from the lead-in's start (150 for frame 0), as disc-id tools print them.
DiscToc DiscOfOffsets(const std::vector<uint32_t>& offsets, uint32_t leadout,
                      std::vector<bool> data = {})
{
    std::vector<TocTrack> tracks;
    for (size_t i = 0; i < offsets.size(); ++i)
        tracks.push_back({static_cast<int>(i) + 1, offsets[i] - 150, i < data.size() && data[i]});
    return MakeDiscToc(tracks, leadout - 150).value();
}

std::vector<uint32_t> Numbers(const std::string& text)
{
    static const std::regex number(R"(\d+)");
    std::vector<uint32_t> numbers;
    for (std::sregex_iterator it(text.begin(), text.end(), number), end; it != end; ++it)
        numbers.push_back(static_cast<uint32_t>(std::stoul(it->str())));
    return numbers;
}

std::string ArName(const DiscToc& toc)
{
    auto id = AccurateRipId(toc);
    return id ? id->Name() : "none";
}

// The layout of a cdrdao TOC file, with an optional second session after the session gap.
DiscToc DiscOfCdrdao(const std::string& first, const std::string& second = "")
{
    const auto s1 = tocfiles::ParseCdrdaoToc(first);
    std::vector<TocTrack> tracks;
    for (const auto& t : s1.tracks)
        tracks.push_back({static_cast<int>(tracks.size()) + 1, t.start, !t.audio});
    uint32_t end = s1.end;
    if (!second.empty()) {
        const auto s2 = tocfiles::ParseCdrdaoToc(second);
        const uint32_t base = s1.end + CD_ENHANCED_CD_GAP;
        for (const auto& t : s2.tracks)
            tracks.push_back({static_cast<int>(tracks.size()) + 1, base + t.start, !t.audio});
        end = base + s2.end;
    }
    return MakeDiscToc(tracks, end).value();
}

} // namespace

TEST(DiscIds, SingleFileCueSheetsOfRealDiscs)
{
    const std::string dir = SharedTestData() + "/toc/python-audio-tools/";
    struct Case {
        const char* cue;
        uint64_t samples; // the whole image, from the first track's INDEX 01 or the file start
        const char* freedb;
        const char* musicBrainz;
        const char* accurateRip;
    };
    const uint64_t lengths1 =
        7939176ull + 4799256 + 6297480 + 5383140 + 5246136 + 5052684 + 5013876;
    const std::vector<uint64_t> lengths2 = {
        1339464, 4048380, 692076,   10600464, 10602816, 1178940, 7454664,  2664816,
        989604,  7008960, 9632616,  1070160,  6094620,  1622880, 13361124, 403956,
        5208504, 7373520, 483336,   12012840, 8534820,  439824,  7626360,  1262436,
        4874520, 398664,  11229036, 483924,   9003456,  883764,  5018580};
    const Case cases[] = {
        {"freedb_test_discid-1.cue", lengths1, "5a038407", "SJco4q4a9rzKdBw7HcFvBQugKc8-",
         "dBAR-007-00045db7-0019b8d8-5a038407"},
        {"freedb_test_discid-2.cue", std::accumulate(lengths2.begin(), lengths2.end(), uint64_t{0}),
         "be0d9a1f", "yrelpXuXXP2WKDpTUqrS62keIFE-", "dBAR-031-003fee31-058c64b9-be0d9a1f"},
        // Track 1 starts 33 frames into the disc.
        {"freedb_test_discid-3.cue", 190928304, "a610e90a", "naJ8mpfbMHx_qQnJbyRx4lE_h4E-",
         "dBAR-010-00193b54-00c9f723-a610e90a"},
        {"freedb_test_discid-4.cue", 127937040, "ce0ad30e", "1o5aDeltYCEwCecU1cMMi1cvees-",
         "dBAR-014-001977f9-01097144-ce0ad30e"},
        // INDEX 02 and 03 and ISRC lines.
        {"freedb_test_discid-5.cue", 119882616, "fc0a9e14", "aS0RfXDrxs718yypC2AlgpNEIE0-",
         "dBAR-020-001d4d13-01bab5f6-fc0a9e14"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.samples % CD_SAMPLES_PER_FRAME, 0u) << c.cue;
        const DiscToc toc = tocfiles::DiscOfSingleFileCue(
            dir + c.cue, static_cast<uint32_t>(c.samples / CD_SAMPLES_PER_FRAME));
        EXPECT_EQ(Hex(FreedbDiscId(toc)), c.freedb) << c.cue;
        EXPECT_EQ(MusicBrainzDiscId(toc), c.musicBrainz) << c.cue;
        EXPECT_EQ(ArName(toc), c.accurateRip) << c.cue;
    }

    // The disc of the libarcstk response file: 15 tracks after a 33-frame pregap.
    const DiscToc bach =
        tocfiles::DiscOfSingleFileCue(SharedTestData() + "/toc/libarcsdec/bach.cue", 253038);
    EXPECT_EQ(ArName(bach), "dBAR-015-001b9178-014be24e-b40d2d0f");
}

TEST(DiscIds, DiscsOfTrackLengthsWithPregapsAndDataTracks)
{
    struct Case {
        std::vector<uint32_t> tracks;
        uint32_t pregap, data;
        const char* musicBrainz;
        const char* accurateRip;
    };
    const Case cases[] = {
        {{75258, 54815, 205880},
         0,
         0,
         "dUmct3Sk4dAt1a98qUKYKC0ZjYU-",
         "dBAR-003-00084264-001cc184-19117f03"},
        {{279037}, 0, 0, "8yz4363CdyKqNa45C30lZWon5jE-", "dBAR-001-000441fd-000883fb-020e8801"},
        {{107450, 71470, 105737, 71600},
         33,
         0,
         "Grk0WAJTlMgchS.Qilu8OSGvxGg-",
         "dBAR-004-000e26d9-00380804-3e128e04"},
        {{143963}, 32, 0, "0VQH.wupXuvBanCl73_bqdIK7zQ-", "dBAR-001-0002329b-00046516-02077f01"},
        // Enhanced CDs: the data track counts for freedb and moves the AccurateRip lead-out.
        {{12617, 27720, 22738, 30185, 24705, 33750, 32475, 30920, 32195, 22880},
         0,
         52066,
         "9AQWqQ0eCCwktwPPrIUIYkUw2Uo-",
         "dBAR-010-00164419-00b9f6e2-9e11600b"},
        {{90778}, 0, 164721, "ZvhSySPNhWlmkC1x3pEYDnMyoho-", "dBAR-001-00041293-00082527-100de602"},
        {{14765, 14932, 12508, 525, 20937, 6025, 19753, 35570, 17777, 15258, 23515, 18512, 26168,
          13440},
         12375,
         0,
         "DXMhnAITXIb0ieYp7OECBgjr1gs-",
         "dBAR-014-001ba337-01281b14-cf0c7b0e"},
    };
    for (const Case& c : cases) {
        const DiscToc toc = DiscOfLengths(c.tracks, c.pregap, c.data);
        EXPECT_EQ(MusicBrainzDiscId(toc), c.musicBrainz);
        EXPECT_EQ(ArName(toc), c.accurateRip);
    }

    // "Liquid" with its data track left out gives the ids of the tools that got it wrong.
    const DiscToc liquid = DiscOfLengths(cases[4].tracks, 0, 52066);
    EXPECT_EQ(Hex(FreedbDiscId(liquid)), "9e11600b");
    const DiscToc audioOnly = DiscOfLengths(cases[4].tracks, 0, 0);
    EXPECT_EQ(Hex(FreedbDiscId(audioOnly)), "890e120a");
    EXPECT_EQ(ArName(audioOnly), "dBAR-010-00154c2f-00af4fd4-890e120a");
    EXPECT_EQ(MusicBrainzDiscId(audioOnly), MusicBrainzDiscId(liquid));
}

TEST(DiscIds, MixedModeCdCountsItsDataTrackForFreedbOnly)
{
    // "Mortal Kombat Trilogy": data track 1, then 28 audio tracks.
    const std::vector<uint32_t> offsets = {
        150,    66728,  76502,  85963,  93760,  104048, 116066, 124743, 134206, 142916,
        151852, 160720, 169425, 178731, 188459, 196711, 206354, 214845, 223686, 225746,
        226384, 232668, 239447, 239931, 244989, 254264, 260066, 261222, 261674};
    const DiscToc toc = DiscOfOffsets(offsets, 261976, {true});
    EXPECT_EQ(ArName(toc), "dBAR-028-00517a54-05a845d2-af0da31d");
    EXPECT_FALSE(toc.IsFirstAudioTrack(1));
    EXPECT_TRUE(toc.IsFirstAudioTrack(2));
    EXPECT_TRUE(toc.IsLastAudioTrack(29));
    // The data track keeps slot 0 of a response; the last audio track has none of its 28.
    EXPECT_EQ(AccurateRipSlot(toc, 2), 1);
    EXPECT_EQ(AccurateRipSlot(toc, 29), 28);
}

TEST(DiscIds, CdrdaoTocsOfRealDiscs)
{
    const std::string dir = SharedTestData() + "/toc/whipper/";
    // 12 audio tracks and a data track that cdrdao lists right behind them.
    const DiscToc ladyhawke = DiscOfCdrdao(dir + "ladyhawke.toc");
    ASSERT_EQ(ladyhawke.tracks.size(), 13u);
    EXPECT_TRUE(ladyhawke.tracks.back().data);
    EXPECT_EQ(Hex(FreedbDiscId(ladyhawke)), "c60af50d");
    EXPECT_EQ(MusicBrainzDiscId(ladyhawke), "KnpGsLhvH.lPrNc1PBL21lb9Bg4-");

    // An Enhanced CD read as two sessions.
    const DiscToc capital = DiscOfCdrdao(dir + "capital.1.toc", dir + "capital.2.toc");
    ASSERT_EQ(capital.tracks.size(), 12u);
    EXPECT_EQ(Hex(FreedbDiscId(capital)), "b910140c");
    EXPECT_EQ(MusicBrainzDiscId(capital), "MAj3xXf6QMy7G.BIFOyHyq4MySE-");
    EXPECT_EQ(capital.AudioLeadout() + 150, 197850u);

    // Hidden audio before track 1.
    const DiscToc bloc = DiscOfCdrdao(dir + "bloc.toc");
    EXPECT_EQ(bloc.tracks.front().start, 15220u);
    EXPECT_EQ(Hex(FreedbDiscId(bloc)), "ad0be00d");
    EXPECT_EQ(AccurateRipId(bloc)->Path(), "e/d/2/dBAR-013-001af2de-0105994e-ad0be00d.bin");
    EXPECT_EQ(AccurateRipId(DiscOfCdrdao(dir + "cure.toc"))->Path(),
              "3/c/4/dBAR-013-0019d4c3-00fe8924-b90c650d.bin");

    // Two different discs with the same freedb id.
    const DiscToc totbl = DiscOfCdrdao(dir + "totbl.fast.toc");
    const DiscToc gentlemen = DiscOfCdrdao(dir + "gentlemen.fast.toc");
    EXPECT_EQ(Hex(FreedbDiscId(totbl)), "810b7b0b");
    EXPECT_EQ(Hex(FreedbDiscId(gentlemen)), "810b7b0b");
    EXPECT_NE(MusicBrainzDiscId(totbl), MusicBrainzDiscId(gentlemen));
}

TEST(DiscIds, MusicBrainzIdsOfTheDatabasesOwnTocs)
{
    // libdiscid's own test TOC.
    const std::string put = testsupport::ReadFile(SharedTestData() + "/toc/libdiscid/test_put.c");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(put, m, std::regex(R"(int offsets\[\] = \{([^}]*)\})")));
    const std::vector<uint32_t> numbers = Numbers(m[1]);
    ASSERT_EQ(numbers.size(), 23u);
    const DiscToc disc = DiscOfOffsets({numbers.begin() + 1, numbers.end()}, numbers[0]);
    EXPECT_EQ(MusicBrainzDiscId(disc), "xUp1F2NkfP8s8jaeFn_Av3jNEI4-");
    EXPECT_EQ(Hex(FreedbDiscId(disc)), "370fce16");

    // Discs as the database lists them (audio, 99 tracks with a pregap, mixed mode, Enhanced).
    for (const char* id : {"X_fUy2PVsk5KK7JciFqBc0CetiI-", "RQ9yuzEHF_fzexjCzj46KcdIaHA-",
                           "j2wJHXA1xXZj7Wkh_tKm4vLjqBk-", "icmg5lhDisLpCIHbXmBhXUDlN2I-",
                           "ZvhSySPNhWlmkC1x3pEYDnMyoho-"}) {
        const std::string json =
            testsupport::ReadFile(SharedTestData() + "/accuraterip/arver/discs/" + id + ".json");
        std::smatch s, o;
        ASSERT_TRUE(std::regex_search(json, s, std::regex(R"re("sectors": "(\d+)")re"))) << id;
        ASSERT_TRUE(std::regex_search(json, o, std::regex(R"re("offset-list": \[([^\]]*)\])re")))
            << id;
        EXPECT_EQ(MusicBrainzDiscId(
                      DiscOfOffsets(Numbers(o[1]), static_cast<uint32_t>(std::stoul(s[1])))),
                  id);
    }
}

TEST(DiscIds, TheTocRecordOfAnEnhancedCd)
{
    // "Liquid" as a drive reports it: frame addresses, the data track in the second session.
    const uint32_t starts[] = {0,      12617,  40337,  63075,  93260, 117965,
                               151715, 184190, 215110, 247305, 281585};
    CDTocRecord record{};
    record.firstTrack = 1;
    record.lastTrack = 11;
    auto put = [&](int i, uint8_t number, uint8_t control, uint32_t address) {
        CDTocDescriptor& d = record.descriptors[i];
        d.trackNumber = number;
        d.adrControl = static_cast<uint8_t>(0x10 | control);
        d.address[0] = static_cast<uint8_t>(address >> 24);
        d.address[1] = static_cast<uint8_t>(address >> 16);
        d.address[2] = static_cast<uint8_t>(address >> 8);
        d.address[3] = static_cast<uint8_t>(address);
    };
    for (int i = 0; i < 11; ++i)
        put(i, static_cast<uint8_t>(i + 1), i == 10 ? CD_TOC_CONTROL_DATA : 0x02, starts[i]);
    put(11, CD_TOC_LEADOUT, 0, 333651);
    auto toc = DiscTocFromRecord(record);
    ASSERT_TRUE(toc);
    EXPECT_EQ(toc->AudioTrackCount(), 10);
    EXPECT_TRUE(toc->HasTrailingData());
    EXPECT_TRUE(toc->IsLastAudioTrack(10));
    EXPECT_TRUE(toc->tracks[0].copyPermitted);
    EXPECT_EQ(toc->AudioLeadout(), 270185u);
    EXPECT_EQ(ArName(*toc), "dBAR-010-00164419-00b9f6e2-9e11600b");
    EXPECT_EQ(MusicBrainzDiscId(*toc), "9AQWqQ0eCCwktwPPrIUIYkUw2Uo-");

    // Damaged records give no layout rather than wrong ids.
    CDTocRecord noLeadout = record;
    noLeadout.descriptors[11].trackNumber = 12;
    EXPECT_FALSE(DiscTocFromRecord(noLeadout));
    CDTocRecord backwards = record;
    put(3, 4, 0, 100);
    backwards.descriptors[3] = record.descriptors[3];
    EXPECT_FALSE(DiscTocFromRecord(backwards));
    CDTocRecord empty{};
    EXPECT_FALSE(DiscTocFromRecord(empty));
    EXPECT_FALSE(MakeDiscToc({{1, 500, false}}, 500));
}
