// Read-offset correction end to end, on generated discs behind a simulated drive with a read
// offset: the rip gives the image's own audio back, the offset comes from the command line, the
// settings file or a drive-offset table, and --find-offset finds it from an AccurateRip response.
#include "app/verify/DiscIds.h"
#include "app/verify/PcmChecksums.h"
#include "discimage/DiscImage.h"
#include "support/TestDisc.h"
#include "support/TestSupport.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>

using namespace testsupport;

namespace
{

constexpr uint8_t kLeadOut[4] = {'O', 'U', 'T', '!'};

// Members first: the disc is written from them.
struct OffsetFiles {
    ProgramFolder folder;
    TempDir dir, out;
    std::vector<uint32_t> lengths;
};

struct OffsetDisc : OffsetFiles, TestDisc {

    OffsetDisc(std::vector<uint32_t> l, const std::string& faults)
        : OffsetFiles{{}, {}, {}, std::move(l)}, TestDisc(WriteTestDisc(dir, lengths, faults))
    {
    }
    RunResult Cli(std::vector<std::string> args) const
    {
        std::vector<std::string> all = {"--out", out.path(), "--format", "wav", "--overwrite"};
        all.insert(all.end(), args.begin(), args.end());
        return RunCli(folder, *this, all);
    }
    std::vector<uint8_t> Wav(size_t i) const
    {
        char name[32];
        std::snprintf(name, sizeof name, "Track %02zu.wav", i + 1);
        auto wav = ReadBytes(out / name);
        return wav.size() < 44 ? std::vector<uint8_t>{}
                               : std::vector<uint8_t>(wav.begin() + 44, wav.end());
    }
    // The image's audio of every track, with `front` samples at the disc's start and `back` at
    // its end replaced by zeros.
    std::vector<std::vector<uint8_t>> Expected(size_t front, size_t back) const
    {
        std::vector<std::vector<uint8_t>> tracks;
        for (size_t i = 0; i < lengths.size(); ++i)
            tracks.push_back(discimage::PatternBytes(image.trackStarts[i], lengths[i]));
        std::memset(tracks.front().data(), 0, front * 4);
        std::memset(tracks.back().data() + tracks.back().size() - back * 4, 0, back * 4);
        return tracks;
    }
    std::string Log() const
    {
        std::vector<verify::TocTrack> tracks;
        for (size_t i = 0; i < image.trackStarts.size(); ++i)
            tracks.push_back({static_cast<int>(i + 1), image.trackStarts[i], false});
        const auto toc = verify::MakeDiscToc(tracks, image.leadout).value();
        char name[32];
        std::snprintf(name, sizeof name, "%08x.log", verify::FreedbDiscId(toc));
        return ReadFile(out / name);
    }
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::vector<uint8_t> OffsetRecord(int16_t offset, const std::string& name)
{
    std::vector<uint8_t> r(69, 0);
    r[0] = static_cast<uint8_t>(offset);
    r[1] = static_cast<uint8_t>(static_cast<uint16_t>(offset) >> 8);
    std::memcpy(r.data() + 2, name.data(), name.size());
    return r;
}

// A response with one block: per track its confidence, v1 checksum and frame-450 checksum.
void WriteResponse(const std::string& path, const verify::AccurateRipDiscId& id,
                   const std::vector<std::array<uint32_t, 3>>& entries)
{
    std::string bytes;
    auto le32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>(v >> (8 * i));
    };
    bytes += static_cast<char>(entries.size());
    le32(id.id1);
    le32(id.id2);
    le32(id.freedb);
    for (const auto& [confidence, v1, frame450] : entries) {
        bytes += static_cast<char>(confidence);
        le32(v1);
        le32(frame450);
    }
    WriteFile(path, bytes);
}

} // namespace

TEST(CliOffset, TheCorrectedRipIsTheImagesAudioWithZerosOnlyOutsideTheDisc)
{
    const std::vector<uint32_t> lengths = {40, 55, 30, 61, 47, 33, 52, 44, 38, 50};
    for (int offset : {667, 6, -1164, 48}) {
        OffsetDisc disc(lengths, "offset " + std::to_string(offset) + "\n");
        auto run = disc.Cli({"--offset", std::to_string(offset), "--log"});
        ASSERT_EQ(run.exitCode, 0) << offset << run.out << run.err;
        const size_t n = static_cast<size_t>(std::abs(offset));
        const auto expected = disc.Expected(offset < 0 ? n : 0, offset > 0 ? n : 0);
        for (size_t i = 0; i < lengths.size(); ++i)
            EXPECT_TRUE(disc.Wav(i) == expected[i]) << "offset " << offset << " track " << i + 1;
        const std::string log = disc.Log();
        EXPECT_TRUE(Contains(log, (offset > 0 ? "+" : "") + std::to_string(offset) +
                                      " samples (from --offset)"))
            << log;
        EXPECT_TRUE(Contains(log, std::to_string(n) + " samples filled with zeros")) << log;

        if (offset != 667) continue;
        // Overreading, the drive gives the disc's every sample.
        WriteFile(disc.image.descriptorPath + ".faults", "offset 667\noverread\n");
        auto over = disc.Cli({"--offset", "667", "--overread"});
        ASSERT_EQ(over.exitCode, 0) << over.err;
        const auto whole = disc.Expected(0, 0);
        for (size_t i = 0; i < lengths.size(); ++i)
            EXPECT_TRUE(disc.Wav(i) == whole[i]) << "overread, track " << i + 1;
        // Uncorrected, every track is off, as a real drive's would be.
        ASSERT_EQ(disc.Cli({}).exitCode, 0);
        for (size_t i = 0; i < lengths.size(); ++i)
            EXPECT_FALSE(disc.Wav(i) == whole[i]) << "uncorrected, track " << i + 1;
    }
}

TEST(CliOffset, AnOverreadingDrivesLeadOutIsNotZeroAndARefusingDriveGivesZeros)
{
    // Corrected by the wrong sign, the last track reaches 2 x 100 samples into the lead-out.
    OffsetDisc disc({40, 40}, "offset -100\noverread\n");
    ASSERT_EQ(disc.Cli({"--offset", "100", "--overread"}).exitCode, 0);
    const auto last = disc.Wav(1);
    ASSERT_EQ(last.size(), 40u * 2352);
    EXPECT_EQ(std::memcmp(last.data() + last.size() - 4, kLeadOut, 4), 0);

    OffsetDisc refusing({40, 40}, "offset 100\n");
    auto run = refusing.Cli({"--offset", "100", "--overread", "--log"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(refusing.Wav(1) == refusing.Expected(0, 100)[1]);
    EXPECT_TRUE(Contains(refusing.Log(), "100 samples filled with zeros (the drive would not "
                                         "overread)"));
}

TEST(CliOffset, TheDriveOffsetTableGivesTheOffsetByTheDrivesInquiryData)
{
    OffsetDisc disc({40, 50}, "offset 667\ndrive PIONEER BD-RW   BDR-X12\n");
    const std::string excerpt =
        SharedTestData() + "/metadata/accuraterip-offsets/cdtoc/DriveOffsets-excerpt.bin";
    auto run = disc.Cli({"--offset-table", excerpt, "--log"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto expected = disc.Expected(0, 667);
    EXPECT_TRUE(disc.Wav(0) == expected[0]);
    EXPECT_TRUE(disc.Wav(1) == expected[1]);
    EXPECT_TRUE(Contains(disc.Log(), "+667 samples (from drive-offset table " + excerpt +
                                         ", PIONEER  - BD-RW   BDR-X12)"))
        << disc.Log();

    // A table of our own named in the settings file; ReadOffset there would come first.
    OffsetDisc other({40, 50}, "offset -1164\ndrive HL-DT-ST DVDRAM GH24NSD1\n");
    std::vector<uint8_t> table = OffsetRecord(48, "TSSTcorp - CDDVDW SH-224DB");
    const auto mine = OffsetRecord(-1164, "HL-DT-ST - DVDRAM GH24NSD1");
    table.insert(table.end(), mine.begin(), mine.end());
    WriteFile(other.dir / "DriveOffsets.bin", std::string(table.begin(), table.end()));
    WriteFile(other.folder / "VeltraCDRipper.ini",
              "[Drive]\nOffsetTable=" + (other.dir / "DriveOffsets.bin") + "\n");
    ASSERT_EQ(other.Cli({}).exitCode, 0);
    EXPECT_TRUE(other.Wav(0) == other.Expected(1164, 0)[0]);
    WriteFile(other.folder / "VeltraCDRipper.ini",
              "[Drive]\nReadOffset=0\nOffsetTable=" + (other.dir / "DriveOffsets.bin") + "\n");
    ASSERT_EQ(other.Cli({}).exitCode, 0);
    EXPECT_FALSE(other.Wav(0) == other.Expected(1164, 0)[0]);
}

TEST(CliOffset, FindOffsetAndAccurateRipAgreeOnTheCorrectedAudio)
{
    const std::vector<uint32_t> lengths = {500, 470, 520};
    OffsetDisc disc(lengths, "offset 102\n");
    std::vector<verify::TocTrack> tracks;
    for (size_t i = 0; i < lengths.size(); ++i)
        tracks.push_back({static_cast<int>(i + 1), disc.image.trackStarts[i], false});
    const auto toc = verify::MakeDiscToc(tracks, disc.image.leadout).value();
    const auto id = verify::AccurateRipId(toc).value();
    // The checksums of the image's own audio, computed here.
    std::vector<std::array<uint32_t, 3>> entries;
    for (size_t i = 0; i < lengths.size(); ++i) {
        const auto pcm = discimage::PatternBytes(disc.image.trackStarts[i], lengths[i]);
        verify::PcmChecksums whole(pcm.size() / 4, i == 0, i + 1 == lengths.size());
        whole.Add(pcm.data(), pcm.size());
        verify::PcmChecksums frame(588, false, false);
        frame.Add(pcm.data() + 450 * 2352, 2352);
        entries.push_back({9, whole.accurateRipV1(), frame.accurateRipV1()});
    }
    const std::string response = disc.dir / "response.bin";
    WriteResponse(response, id, entries);

    auto found = disc.Cli({"--find-offset", "--accuraterip", response, "--save"});
    ASSERT_EQ(found.exitCode, 0) << found.out << found.err;
    EXPECT_TRUE(Contains(found.out, "  +102 samples: 3 tracks match, confidence 27\n"))
        << found.out;
    EXPECT_TRUE(
        Contains(ReadFile(disc.folder / "VeltraCDRipper.ini"), "[Drive]\nReadOffset=102\n"));

    // The saved offset corrects the next rip, which the response then vouches for.
    auto rip = disc.Cli({"--accuraterip", response, "--log"});
    EXPECT_EQ(rip.exitCode, 0) << rip.out << rip.err;
    EXPECT_TRUE(Contains(rip.out, "3 of 3 tracks accurate")) << rip.out;
    EXPECT_TRUE(Contains(disc.Log(), "+102 samples (from ReadOffset in the settings file)"));
    auto wrong = disc.Cli({"--accuraterip", response, "--offset", "96"});
    EXPECT_EQ(wrong.exitCode, 3) << wrong.out;

    // Transient read errors under the offset are re-read bit for bit.
    WriteFile(disc.image.descriptorPath + ".faults", "offset 102\nretry 600-640 2\n");
    ASSERT_EQ(disc.Cli({}).exitCode, 0);
    EXPECT_TRUE(disc.Wav(1) == disc.Expected(0, 102)[1]);
}

TEST(CliOffset, SecureReadsAndBurstThenVerifyReadAtTheDrivesOffset)
{
    // Drive frames 275-280 of track 2 (frames 200-399) are flaky.
    const std::vector<uint32_t> lengths = {200, 200};
    OffsetDisc disc(lengths, "offset 667\nflaky 275-280 20\n");
    auto secure = disc.Cli({"--offset", "667", "--secure"});
    ASSERT_EQ(secure.exitCode, 0) << secure.out << secure.err;
    const auto expected = disc.Expected(0, 667);
    EXPECT_TRUE(disc.Wav(0) == expected[0]);
    EXPECT_TRUE(disc.Wav(1) == expected[1]);

    std::vector<verify::TocTrack> tracks;
    for (size_t i = 0; i < lengths.size(); ++i)
        tracks.push_back({static_cast<int>(i + 1), disc.image.trackStarts[i], false});
    const auto id = verify::AccurateRipId(verify::MakeDiscToc(tracks, disc.image.leadout).value());
    std::vector<std::array<uint32_t, 3>> entries;
    for (size_t i = 0; i < lengths.size(); ++i) {
        const auto& pcm = expected[i];
        verify::PcmChecksums sums(pcm.size() / 4, i == 0, i + 1 == lengths.size());
        sums.Add(pcm.data(), pcm.size());
        entries.push_back({4, sums.accurateRipV1(), 0});
    }
    const std::string response = disc.dir / "response.bin";
    WriteResponse(response, id.value(), entries);
    auto verified = disc.Cli({"--offset", "667", "--verify", "--accuraterip", response});
    EXPECT_EQ(verified.exitCode, 0) << verified.out << verified.err;
    EXPECT_TRUE(Contains(verified.out, "=> accurate (confidence 4)\n")) << verified.out;
    EXPECT_TRUE(Contains(verified.out, "=> accurate after re-read\n")) << verified.out;
    EXPECT_TRUE(disc.Wav(1) == expected[1]);
    // Without the offset the same audio is not what the database holds.
    auto uncorrected = disc.Cli({"--verify", "--accuraterip", response});
    EXPECT_EQ(uncorrected.exitCode, 3) << uncorrected.out;

    // Suspicious samples are named in the track's samples, not the drive's.
    WriteFile(disc.image.descriptorPath + ".faults", "offset 667\nflaky 275-276 588\n");
    auto inexact = disc.Cli({"--offset", "667", "--secure"});
    EXPECT_EQ(inexact.exitCode, 1);
    EXPECT_TRUE(Contains(inexact.out, "Track 02: inexact: 1176 suspicious samples at 0:00:00 "
                                      "(sample 43433) to 0:00:01 (sample 44608)\n"))
        << inexact.out;
}
