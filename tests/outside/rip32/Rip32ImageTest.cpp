// The CD-access library on generated and real disc images: drives, handles, TOC, plain reads.
#include "Rip32Support.h"

#include "support/TestDisc.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>

using namespace rip32test;
using testsupport::TempDir;

namespace
{

discimage::WrittenImage TenTracksAndData(const TempDir& dir)
{
    discimage::DiscLayout layout;
    layout.audioLengths = {900, 1000, 1100, 1200, 1300, 1400, 1500, 1600, 1700, 1800};
    layout.dataLength = 3000;
    return testsupport::WriteTestDisc(dir, layout).image;
}

} // namespace

TEST(Rip32Drives, ImagesComeFirstAndHandlesAreSmallIndices)
{
    TempDir dir;
    discimage::DiscLayout layout;
    layout.audioLengths = {100};
    auto a = discimage::WriteDiscImage(layout, dir / "a");
    auto b = discimage::WriteDiscImage(layout, dir / "b");
    testsupport::UseDiscImages(a.descriptorPath + ":" + b.descriptorPath);
    CDDriveList drives{};
    drives.capacity = CD_MAX_DRIVES;
    GetCDList(&drives);
    ASSERT_GE(drives.found, 2);
    EXPECT_NE(std::string(drives.drives[0].description).find("a.cue"), std::string::npos);
    EXPECT_NE(std::string(drives.drives[1].description).find("b.cue"), std::string::npos);

    CDHANDLE h1 = OpenImages({a.descriptorPath, b.descriptorPath}, 0);
    CDHANDLE h2 = OpenImages({a.descriptorPath, b.descriptorPath}, 1);
    EXPECT_GE(h1, 1u);
    EXPECT_LE(h1, 64u);
    EXPECT_GE(h2, 1u);
    EXPECT_LE(h2, 64u);
    EXPECT_NE(h1, h2);
    EXPECT_EQ(CloseCDHandle(h1), 1u);
    EXPECT_EQ(CloseCDHandle(h1), 0u);
    CDTocRecord toc{};
    EXPECT_NE(ReadTOC(h1, &toc), 1u); // a closed handle is no drive
    EXPECT_NE(ReadTOC(0, &toc), 1u);
    EXPECT_NE(ReadTOC(12345, &toc), 1u);
    CloseCDHandle(h2);
}

TEST(Rip32Drives, CapacityLimitsTheEntries)
{
    TempDir dir;
    auto a = testsupport::WriteTestDisc(dir, {100}).image;
    testsupport::UseDiscImages(a.descriptorPath + ":" + a.descriptorPath);
    CDDriveList drives{};
    drives.capacity = 1;
    GetCDList(&drives);
    EXPECT_EQ(drives.found, 1);
    EXPECT_EQ(drives.drives[1].address[1], 0); // untouched
}

TEST(Rip32Toc, TenAudioTracksAndAnEnhancedCdDataTrack)
{
    TempDir dir;
    auto image = TenTracksAndData(dir);
    CDHANDLE h = OpenImages({image.descriptorPath});
    ASSERT_NE(h, 0u);
    CDTocRecord toc{};
    ASSERT_EQ(ModifyCDParms(h, CD_PARM_TOC_ADDRESS_FORM, 0), 1u);
    ASSERT_EQ(ReadTOC(h, &toc), 1u);
    EXPECT_EQ(toc.firstTrack, 1);
    EXPECT_EQ(toc.lastTrack, 11);
    EXPECT_EQ((toc.dataLength[0] << 8) | toc.dataLength[1], 2 + 12 * 8);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(toc.descriptors[i].trackNumber, i + 1);
        EXPECT_EQ(Address(toc.descriptors[i]), image.trackStarts[i]) << "track " << i + 1;
        EXPECT_EQ((toc.descriptors[i].adrControl & CD_TOC_CONTROL_DATA) != 0, i == 10);
    }
    EXPECT_EQ(toc.descriptors[11].trackNumber, CD_TOC_LEADOUT);
    EXPECT_EQ(Address(toc.descriptors[11]), image.leadout);
    // The data track starts the Enhanced CD gap after the last audio frame.
    EXPECT_EQ(image.trackStarts[10] - (image.trackStarts[9] + 1800), 11400u);

    // Minute-second-frame form: 2 seconds of lead-in added.
    ASSERT_EQ(ModifyCDParms(h, CD_PARM_TOC_ADDRESS_FORM, 1), 1u);
    ASSERT_EQ(ReadTOC(h, &toc), 1u);
    const uint32_t abs = image.trackStarts[1] + 150;
    EXPECT_EQ(toc.descriptors[1].address[0], 0);
    EXPECT_EQ(toc.descriptors[1].address[1], abs / 4500);
    EXPECT_EQ(toc.descriptors[1].address[2], (abs / 75) % 60);
    EXPECT_EQ(toc.descriptors[1].address[3], abs % 75);
    CloseCDHandle(h);
}

TEST(Rip32Toc, DiscStartingAtTrackThree)
{
    TempDir dir;
    discimage::DiscLayout layout;
    layout.firstTrack = 3;
    layout.audioLengths = {300, 400};
    auto image = testsupport::WriteTestDisc(dir, layout).image;
    CDHANDLE h = OpenImages({image.descriptorPath});
    CDTocRecord toc{};
    ASSERT_EQ(ReadTOC(h, &toc), 1u);
    EXPECT_EQ(toc.firstTrack, 3);
    EXPECT_EQ(toc.lastTrack, 4);
    EXPECT_EQ(toc.descriptors[0].trackNumber, 3);
    EXPECT_EQ(toc.descriptors[2].trackNumber, CD_TOC_LEADOUT);
    EXPECT_EQ(Address(toc.descriptors[2]), 700u);
    CloseCDHandle(h);
}

TEST(Rip32Read, PlainReadDeliversTheImagesBytes)
{
    TempDir dir;
    discimage::DiscLayout layout;
    layout.audioLengths = {60, 40};
    auto image = testsupport::WriteTestDisc(dir, layout).image;
    CDHANDLE h = OpenImages({image.descriptorPath});
    SectorBuffer buf(27);
    buf.Request(50, 27); // crosses into track 2
    ASSERT_EQ(ReadCDAudioLBA(h, buf.header()), 1u);
    EXPECT_EQ(buf.header()->bytesReturned, 27u * 2352);
    EXPECT_EQ(buf.Data(), discimage::PatternBytes(50, 27));
    // A request larger than the buffer is refused, not written past its end.
    buf.Request(0, 28);
    EXPECT_NE(ReadCDAudioLBA(h, buf.header()), 1u);
    buf.Request(0, 0);
    EXPECT_NE(ReadCDAudioLBAEx(h, buf.header(), nullptr), 1u);
    CloseCDHandle(h);
}

TEST(Rip32Read, TocImagesReadLikeCueImages)
{
    TempDir dir;
    discimage::DiscLayout layout;
    layout.audioLengths = {30, 45};
    layout.format = discimage::Format::Toc;
    auto image = testsupport::WriteTestDisc(dir, layout).image;
    CDHANDLE h = OpenImages({image.descriptorPath});
    ASSERT_NE(h, 0u);
    CDTocRecord toc{};
    ASSERT_EQ(ReadTOC(h, &toc), 1u);
    EXPECT_EQ(toc.lastTrack, 2);
    EXPECT_EQ(Address(toc.descriptors[1]), 30u);
    SectorBuffer buf(27);
    buf.Request(40, 27);
    ASSERT_EQ(ReadCDAudioLBA(h, buf.header()), 1u);
    EXPECT_EQ(buf.Data(), discimage::PatternBytes(40, 27));
    CloseCDHandle(h);
}

TEST(Rip32BadInput, MissingTruncatedAndMalformedImagesNeverCrash)
{
    TempDir dir;
    testsupport::WriteFile(dir / "garbage.cue",
                           std::string("\x01\x02 TRACK FILE \"\"\n\xff INDEX 99:99:99\n", 32));
    testsupport::WriteFile(
        dir / "nobin.cue",
        "FILE \"missing.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    testsupport::WriteFile(dir / "random.toc", "TRACK TRACK FILE 1 2 3 \"x\n");
    for (const char* name : {"none.cue", "garbage.cue", "nobin.cue", "random.toc"}) {
        CDHANDLE h = OpenImages({dir / name});
        CDTocRecord toc{};
        SectorBuffer buf(27);
        buf.Request(0, 27);
        if (h != 0) {
            // Opened: then the disc must read as no disc or fail its reads.
            bool tocOk = ReadTOC(h, &toc) == 1;
            bool readOk = ReadCDAudioLBA(h, buf.header()) == 1;
            EXPECT_FALSE(tocOk && readOk) << name;
            CloseCDHandle(h);
        }
    }

    // libcdio's own toc parser divides by zero on this file (found by fuzzing): the image must
    // simply not open, in a process that goes on.
    const std::string crasher =
        testsupport::ReadFile(testsupport::TestDataDir() + "/rip32_libcdio_fpe.toc");
    ASSERT_FALSE(crasher.empty());
    testsupport::WriteFile(dir / "crasher.toc", crasher);
    EXPECT_EQ(OpenImages({dir / "crasher.toc"}), 0u);

    discimage::DiscLayout layout;
    layout.audioLengths = {100};
    auto image = testsupport::WriteTestDisc(dir, layout).image;
    CDHANDLE h = OpenImages({image.descriptorPath});
    ASSERT_NE(h, 0u);
    SectorBuffer buf(27);
    buf.Request(0, 27);
    EXPECT_EQ(ReadCDAudioLBA(h, buf.header()), 1u);
    // The image loses its end while it is being read: what is gone fails, never reads as zeros.
    ASSERT_EQ(truncate(image.binPath.c_str(), 50 * 2352), 0);
    buf.Request(27, 23);
    EXPECT_EQ(ReadCDAudioLBA(h, buf.header()), 1u);
    EXPECT_EQ(buf.Data(), discimage::PatternBytes(27, 23));
    buf.Request(27, 27);
    EXPECT_NE(ReadCDAudioLBA(h, buf.header()), 1u);
    buf.Request(54, 27);
    EXPECT_NE(ReadCDAudioLBA(h, buf.header()), 1u);
    EXPECT_NE(ReadCDAudioLBAEx(h, buf.header(), nullptr), 1u);
    // Past the lead-out nothing reads.
    buf.Request(99, 2);
    EXPECT_NE(ReadCDAudioLBA(h, buf.header()), 1u);
    CloseCDHandle(h);

    // The size comes from the file opened with the image, not from its name at each read: a
    // data file moved away meanwhile reads on, as libcdio reads the open file.
    auto moved = discimage::WriteDiscImage(layout, dir / "moved");
    h = OpenImages({moved.descriptorPath});
    ASSERT_NE(h, 0u);
    ASSERT_EQ(rename(moved.binPath.c_str(), (dir / "elsewhere.bin").c_str()), 0);
    buf.Request(27, 27);
    EXPECT_EQ(ReadCDAudioLBA(h, buf.header()), 1u);
    EXPECT_EQ(buf.Data(), discimage::PatternBytes(27, 27));
    CloseCDHandle(h);
}

namespace
{

// Track number -> LSN as cd-info prints them (lead-out as 170).
std::map<int, long> CdInfoTrackList(const std::string& image)
{
    auto run = testsupport::Run({"/usr/bin/cd-info", "--no-header", "--no-device-info",
                                 "--no-disc-mode", "--no-analyze", "-q", image});
    std::map<int, long> tracks;
    std::regex line(R"(^\s*(\d+): \d\d:\d\d:\d\d\s+(\d+) )");
    std::istringstream in(run.out);
    std::string l;
    while (std::getline(in, l)) {
        std::smatch m;
        if (std::regex_search(l, m, line)) tracks[std::stoi(m[1])] = std::stol(m[2]);
    }
    return tracks;
}

void ExpectTocAgreesWithCdInfo(const std::string& image)
{
    auto expected = CdInfoTrackList(image);
    ASSERT_FALSE(expected.empty()) << image;
    CDHANDLE h = OpenImages({image});
    ASSERT_NE(h, 0u) << image;
    CDTocRecord toc{};
    ModifyCDParms(h, CD_PARM_TOC_ADDRESS_FORM, 0);
    ASSERT_EQ(ReadTOC(h, &toc), 1u) << image;
    std::map<int, long> ours;
    for (int i = 0; i <= toc.lastTrack - toc.firstTrack + 1; ++i) {
        int t = toc.descriptors[i].trackNumber;
        ours[t == CD_TOC_LEADOUT ? 170 : t] = Address(toc.descriptors[i]);
    }
    EXPECT_EQ(ours, expected) << image;
    CloseCDHandle(h);
}

} // namespace

TEST(Rip32Toc, AgreesWithCdInfoOnGeneratedAndRealImages)
{
    TempDir dir;
    ExpectTocAgreesWithCdInfo(TenTracksAndData(dir).descriptorPath);
    discimage::DiscLayout layout;
    layout.firstTrack = 3;
    layout.audioLengths = {75, 1, 27, 4500};
    ExpectTocAgreesWithCdInfo(testsupport::WriteTestDisc(dir, layout).image.descriptorPath);
    const std::string shared = testsupport::SharedTestData() + "/images/";
    for (const char* real :
         {"libcdio-paranoia/cdda.cue", "libcdio-paranoia/cd-extra.cue",
          "libcdio-paranoia/mixed-mode-cd.cue", "libcdio/cdda.cue", "libcdio/isofs-m1.cue"})
        ExpectTocAgreesWithCdInfo(shared + real);
}
