// Track records from TOC records: names, lengths, the rule before a data track, time texts.
#include "Toc.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace
{

struct TocEntry {
    int track;
    uint32_t start;
    bool data;
};

CDTocRecord MakeToc(int first, int last, const std::vector<TocEntry>& entries)
{
    CDTocRecord toc{};
    toc.firstTrack = static_cast<uint8_t>(first);
    toc.lastTrack = static_cast<uint8_t>(last);
    for (size_t i = 0; i < entries.size(); ++i) {
        CDTocDescriptor& d = toc.descriptors[i];
        d.adrControl = static_cast<uint8_t>(0x10 | (entries[i].data ? CD_TOC_CONTROL_DATA : 0));
        d.trackNumber = static_cast<uint8_t>(entries[i].track);
        for (int b = 0; b < 4; ++b)
            d.address[b] = static_cast<uint8_t>(entries[i].start >> (24 - 8 * b));
    }
    return toc;
}

} // namespace

TEST(Toc, TenAudioTracksAndADataTrack)
{
    std::vector<TocEntry> entries;
    for (int t = 1; t <= 10; ++t)
        entries.push_back({t, static_cast<uint32_t>((t - 1) * 20000), false});
    entries.push_back({11, 200000 + 11400, true});
    entries.push_back({0xAA, 250000, false});
    testsupport::DebugCapture trace;
    auto records = BuildTrackRecords(MakeToc(1, 11, entries));
    ASSERT_EQ(records.size(), 11u);
    EXPECT_STREQ(records[0].name, "Track 01");
    EXPECT_STREQ(records[9].name, "Track 10");
    EXPECT_EQ(records[8].length, 20000u);
    // Track 10 ends exactly where its audio ends, the gap before the data track left out.
    EXPECT_EQ(records[9].startFrame, 180000u);
    EXPECT_EQ(records[9].length, 20000u);
    EXPECT_STREQ(records[10].name, "Data Track");
    EXPECT_EQ(records[10].startFrame, 211400u);
    EXPECT_EQ(records[10].length, 250000u - 211400u);
    EXPECT_EQ(records[0].ripFlag, 0);
    EXPECT_EQ(records[0].rowNumber, 0);
    EXPECT_EQ(trace.lines(), (std::vector<std::string>{"Set lastAudioFrame to 199999",
                                                       "Set lastAudioFrame to 249999"}));
}

TEST(Toc, TheGapRuleOnlyShortensTracksLongerThanTheGap)
{
    auto exact =
        BuildTrackRecords(MakeToc(1, 2, {{1, 0, false}, {2, 11400, true}, {0xAA, 12000, false}}));
    ASSERT_EQ(exact.size(), 2u);
    EXPECT_EQ(exact[0].length, 11400u);
    auto longer =
        BuildTrackRecords(MakeToc(1, 2, {{1, 0, false}, {2, 11401, true}, {0xAA, 12000, false}}));
    EXPECT_EQ(longer[0].length, 1u);
}

TEST(Toc, ZeroLengthTracksGetNoRowAndNamesKeepTheTocNumbers)
{
    auto records = BuildTrackRecords(MakeToc(
        3, 6,
        {{3, 0, false}, {4, 500, false}, {5, 500, false}, {6, 900, false}, {0xAA, 1000, false}}));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_STREQ(records[0].name, "Track 03");
    EXPECT_STREQ(records[1].name, "Track 05"); // track 4 has no frames
    EXPECT_STREQ(records[2].name, "Track 06");
    EXPECT_EQ(records[2].length, 100u);
}

TEST(Toc, DamagedRecordsGiveNoRowsInsteadOfHugeOrOutOfBoundsOnes)
{
    EXPECT_TRUE(BuildTrackRecords(MakeToc(5, 4, {})).empty());
    EXPECT_TRUE(BuildTrackRecords(MakeToc(1, 99, {})).empty()); // the lead-out would not fit
    EXPECT_TRUE(BuildTrackRecords(MakeToc(0, 255, {})).empty());
    auto backwards =
        BuildTrackRecords(MakeToc(1, 2, {{1, 5000, false}, {2, 100, false}, {0xAA, 6000, false}}));
    ASSERT_EQ(backwards.size(), 1u);
    EXPECT_STREQ(backwards[0].name, "Track 02");
    // 98 tracks and the lead-out use 99 descriptors: the largest record that fits.
    std::vector<TocEntry> many;
    for (int t = 1; t <= 98; ++t)
        many.push_back({t, static_cast<uint32_t>(t * 100), false});
    many.push_back({0xAA, 9900, false});
    EXPECT_EQ(BuildTrackRecords(MakeToc(1, 98, many)).size(), 98u);
}

TEST(Toc, TimeTextDropsHours)
{
    EXPECT_EQ(TimeText(74), "00:00");
    EXPECT_EQ(TimeText(4500), "01:00");
    EXPECT_EQ(TimeText(269925), "59:59");
    EXPECT_EQ(TimeText(270000), "00:00");
    EXPECT_EQ(TimeText(0xFFFFFFFFu), "17:10");
}
