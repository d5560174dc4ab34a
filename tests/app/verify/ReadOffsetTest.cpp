// The drive-offset table and the read-offset search on the generator's pattern, whose every
// sample tells where on the disc it lies.
#include "app/verify/DriveOffsetTable.h"
#include "app/verify/OffsetFinder.h"
#include "app/verify/PcmChecksums.h"
#include "app/verify/ReadOffsetChoice.h"
#include "tools/discimage/DiscImage.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace verify;

namespace
{

std::vector<uint8_t> Record(int16_t offset, const std::string& name, uint32_t submissions)
{
    std::vector<uint8_t> r(kDriveOffsetRecordBytes, 0);
    r[0] = static_cast<uint8_t>(offset);
    r[1] = static_cast<uint8_t>(static_cast<uint16_t>(offset) >> 8);
    std::copy(name.begin(), name.end(), r.begin() + 2);
    for (int i = 0; i < 4; ++i)
        r[35 + i] = static_cast<uint8_t>(submissions >> (8 * i));
    return r;
}

// The pattern as a drive with read offset `offset` delivers it from disc sample `first`.
std::vector<uint8_t> Delivered(int64_t firstSample, size_t samples, int offset)
{
    std::vector<uint8_t> out(samples * 4);
    for (size_t j = 0; j < samples; ++j) {
        const int64_t s = firstSample + static_cast<int64_t>(j) - offset;
        discimage::PatternSample(static_cast<uint32_t>(s / 588), static_cast<uint32_t>(s % 588),
                                 out.data() + j * 4);
    }
    return out;
}

// The frame-450 checksum of the true audio, the way a whole-track checksum counts it.
uint32_t TrueFrame450(uint32_t trackStart, int shift = 0)
{
    const auto frame = Delivered(int64_t{trackStart + kOffsetFrame} * 588, 588, -shift);
    PcmChecksums sums(588, false, false);
    sums.Add(frame.data(), frame.size());
    return sums.accurateRipV1();
}

} // namespace

TEST(DriveOffsetTable, TheRealExcerptMatchesByVendorAndModel)
{
    std::vector<DriveOffsetRecord> table;
    std::string error;
    ASSERT_TRUE(LoadDriveOffsets(testsupport::SharedTestData() +
                                     "/metadata/accuraterip-offsets/cdtoc/DriveOffsets-excerpt.bin",
                                 table, error))
        << error;
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0].name, "PIONEER  - BD-RW   BDR-X12");
    EXPECT_EQ(table[0].submissions, 75u);
    auto found = FindDriveOffset(table, "PIONEER", "BD-RW   BDR-X12");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->offset, 667);
    // INQUIRY data is space-padded and its case is not the table's business.
    EXPECT_EQ(FindDriveOffset(table, "pioneer ", "bd-rw   bdr-x13u    ")->name,
              "PIONEER  - BD-RW   BDR-X13U");
    EXPECT_FALSE(FindDriveOffset(table, "PIONEER", "BD-RW BDR-X12")); // inner spaces count
    EXPECT_FALSE(FindDriveOffset(table, "PIONEER", "BD-RW   BDR-X1"));
    EXPECT_FALSE(FindDriveOffset(table, "", ""));
}

TEST(DriveOffsetTable, ATableOfOurOwnAndBrokenOnes)
{
    std::vector<uint8_t> bytes;
    for (const auto& r : {Record(-1164, "HL-DT-ST - DVDRAM GH24NSD1", 900), Record(6, "NOSEP", 1),
                          Record(48, "TSSTcorp - CDDVDW SH-224DB", 12)})
        bytes.insert(bytes.end(), r.begin(), r.end());
    std::vector<DriveOffsetRecord> table;
    std::string error;
    ASSERT_TRUE(ParseDriveOffsets(bytes.data(), bytes.size(), table, error));
    EXPECT_EQ(FindDriveOffset(table, "HL-DT-ST", "DVDRAM GH24NSD1")->offset, -1164);
    EXPECT_EQ(FindDriveOffset(table, "tsstcorp", "CDDVDW SH-224DB")->offset, 48);
    EXPECT_FALSE(FindDriveOffset(table, "NOSEP", ""));
    EXPECT_FALSE(ParseDriveOffsets(bytes.data(), bytes.size() - 1, table, error));
    EXPECT_NE(error.find("record 3"), std::string::npos);
    EXPECT_FALSE(ParseDriveOffsets(bytes.data(), 0, table, error));
    EXPECT_FALSE(LoadDriveOffsets("/nonexistent/DriveOffsets.bin", table, error));
}

TEST(OffsetFinder, FindsTheDrivesOffsetOnTwoTracksAtLeast)
{
    const std::vector<uint32_t> starts = {0, 600, 1300, 2000};
    DbarResponse response;
    response.blocks.resize(1);
    for (uint32_t start : starts)
        response.blocks[0].entries.push_back({7, 0, TrueFrame450(start)});
    // A second block of lower confidence with other checksums does not count.
    response.blocks.push_back(response.blocks[0]);
    for (auto& e : response.blocks[1].entries)
        e = {2, 0, e.frame450 + 1};

    for (int offset : {667, 6, -1164, 48, 0, 2940, -2940}) {
        std::vector<OffsetProbe> probes;
        for (size_t t = 0; t < starts.size(); ++t)
            probes.push_back(
                {static_cast<int>(t), Delivered(int64_t{starts[t] + kOffsetWindowFirst} * 588,
                                                kOffsetWindowFrames * 588, offset)});
        const auto found = FindReadOffsets(probes, response);
        ASSERT_EQ(found.size(), 1u) << offset;
        EXPECT_EQ(found[0].offset, offset);
        EXPECT_EQ(found[0].tracks, 4);
        EXPECT_EQ(found[0].confidence, 28u);

        // One matching track is not enough.
        probes.resize(1);
        EXPECT_TRUE(FindReadOffsets(probes, response).empty());
    }
}

TEST(OffsetFinder, EveryCandidateOfSeveralPressingsIsListed)
{
    // Two pressings of equal standing, the second's audio 30 samples later.
    const std::vector<uint32_t> starts = {0, 600, 1300};
    DbarResponse response;
    response.blocks.resize(2);
    for (uint32_t start : starts) {
        response.blocks[0].entries.push_back({5, 0, TrueFrame450(start)});
        response.blocks[1].entries.push_back({5, 0, TrueFrame450(start, 30)});
    }
    std::vector<OffsetProbe> probes;
    for (size_t t = 0; t < starts.size(); ++t)
        probes.push_back(
            {static_cast<int>(t), Delivered(int64_t{starts[t] + kOffsetWindowFirst} * 588,
                                            kOffsetWindowFrames * 588, 102)});
    probes.push_back({0, {}}); // a short read is skipped
    const auto found = FindReadOffsets(probes, response);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].offset, 102);
    EXPECT_EQ(found[1].offset, 102 + 30);
}

TEST(ReadOffsetChoice, TheFirstSourceThatGivesAnOffsetWinsAndTheLogSaysWhich)
{
    testsupport::TempDir dir;
    const std::string table = dir / "DriveOffsets.bin";
    const auto record = Record(48, "TSSTcorp - CDDVDW SH-224DB", 3);
    testsupport::WriteFile(table, std::string(record.begin(), record.end()));

    ReadOffsetSources s;
    EXPECT_EQ(ReadOffsetText(ChooseReadOffset(s)), "none (0 samples)");
    s.vendor = "TSSTcorp";
    s.model = "CDDVDW SH-224DB";
    s.settingTable = table;
    EXPECT_EQ(ReadOffsetText(ChooseReadOffset(s)),
              "+48 samples (from drive-offset table " + table + ", TSSTcorp - CDDVDW SH-224DB)");
    s.setting = -6;
    EXPECT_EQ(ReadOffsetText(ChooseReadOffset(s)),
              "-6 samples (from ReadOffset in the settings file)");
    s.optionTable = dir / "missing.bin";
    auto c = ChooseReadOffset(s);
    EXPECT_EQ(c.offset, -6);
    ASSERT_EQ(c.warnings.size(), 1u);
    EXPECT_NE(c.warnings[0].find("missing.bin"), std::string::npos);
    s.option = 667;
    EXPECT_EQ(ReadOffsetText(ChooseReadOffset(s)), "+667 samples (from --offset)");

    // A drive the table does not know falls through, with a word why.
    ReadOffsetSources unknown;
    unknown.vendor = "ACME";
    unknown.model = "CD-1";
    unknown.settingTable = table;
    c = ChooseReadOffset(unknown);
    EXPECT_EQ(c.offset, 0);
    ASSERT_EQ(c.warnings.size(), 1u);
    EXPECT_NE(c.warnings[0].find("ACME CD-1 is not in"), std::string::npos);
}
