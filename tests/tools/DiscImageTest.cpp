#include "discimage/DiscImage.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

using namespace testsupport;

TEST(DiscImage, PatternSamplesAreUniqueAcrossALongDisc)
{
    std::set<uint32_t> seen;
    for (uint32_t frame : {0u, 1u, 65535u, 65536u, 333000u}) {
        for (uint32_t i = 0; i < 588; ++i) {
            uint8_t s[4];
            discimage::PatternSample(frame, i, s);
            uint32_t v = s[0] | (s[1] << 8) | (s[2] << 16) | (uint32_t(s[3]) << 24);
            EXPECT_TRUE(seen.insert(v).second) << frame << " " << i;
        }
    }
}

TEST(DiscImage, CueAndBinHoldTheLayoutWithASparseGapBeforeTheDataTrack)
{
    TempDir dir;
    discimage::DiscLayout layout;
    layout.firstTrack = 2;
    layout.audioLengths = {75, 150};
    layout.dataLength = 10;
    auto image = discimage::WriteDiscImage(layout, dir / "d");
    EXPECT_EQ(image.trackStarts, (std::vector<uint32_t>{0, 75, 225 + 11400}));
    EXPECT_EQ(image.leadout, 225u + 11400 + 10);
    EXPECT_EQ(
        ReadFile(image.descriptorPath),
        "FILE \"d.bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n"
        "  TRACK 03 AUDIO\n    INDEX 01 00:01:00\n  TRACK 04 MODE1/2352\n    INDEX 01 02:35:00\n");
    EXPECT_EQ(FileSize(image.binPath), static_cast<long long>(image.leadout) * 2352);
    struct stat st {
    };
    ASSERT_EQ(stat(image.binPath.c_str(), &st), 0);
    EXPECT_LT(st.st_blocks * 512, 2 * 1024 * 1024); // the gap takes no space
    auto bytes = ReadBytes(image.binPath);
    auto expected = discimage::PatternBytes(70, 10);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin() + 70 * 2352));
}

TEST(DiscImage, ToolRefusesImpossibleLayoutsClearly)
{
    TempDir dir;
    const std::string tool = BinDir() + "/../tools/mkdiscimage";
    EXPECT_EQ(testsupport::Run({tool, "--tracks", "100,2:30", dir / "ok"}).exitCode, 0);
    EXPECT_EQ(FileSize(dir / "ok.bin"), (100 + 150 * 75) * 2352LL);
    auto bad = testsupport::Run({tool, "--tracks", "0", dir / "bad"});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_NE(bad.err.find("at least one frame"), std::string::npos);
    EXPECT_NE(
        testsupport::Run({tool, "--tracks", "10", "--first", "99", "--data", "5", dir / "bad"})
            .exitCode,
        0);
    EXPECT_NE(testsupport::Run({tool, "--tracks", "1:75", dir / "bad"}).exitCode, 0);
    EXPECT_NE(
        testsupport::Run({tool, "--toc", "--tracks", "10", "--data", "5", dir / "bad"}).exitCode,
        0);
}

TEST(DiscImage, WavePerTrackPutsEachPregapAtTheEndOfTheFileBefore)
{
    TempDir dir;
    discimage::DiscLayout layout;
    layout.audioLengths = {100, 80};
    layout.hidden = 30;
    layout.pregap = 20;
    layout.files = discimage::Files::WavePerTrack;
    auto image = discimage::WriteDiscImage(layout, dir / "d");
    EXPECT_EQ(image.trackStarts, (std::vector<uint32_t>{30, 130}));
    EXPECT_EQ(ReadFile(image.descriptorPath),
              "FILE \"d - 01.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 00 00:00:00\n"
              "    INDEX 01 00:00:30\n  TRACK 02 AUDIO\n    INDEX 00 00:01:35\n"
              "FILE \"d - 02.wav\" WAVE\n    INDEX 01 00:00:00\n");
    // The first file holds the hidden audio, track 1 and track 2's pregap.
    EXPECT_EQ(FileSize(image.dataPaths[0]), 44 + 130 * 2352LL);
    EXPECT_EQ(FileSize(image.dataPaths[1]), 44 + 80 * 2352LL);
    layout.files = discimage::Files::Flac;
    layout.dataLength = 10;
    EXPECT_THROW(discimage::WriteDiscImage(layout, dir / "e"), std::runtime_error);
}

TEST(DiscImage, ToolTakesTheTracksAudioFromAPcmFileInOrder)
{
    TempDir dir;
    const std::string tool = BinDir() + "/../tools/mkdiscimage";
    std::string pcm(150 * 2352 + 7, '\0');
    for (size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<char>((i * 131 + i / 2352) & 0xFF);
    WriteFile(dir / "in.raw", pcm);
    auto ok = testsupport::Run({tool, "--tracks", "75,50", "--pcm", dir / "in.raw", dir / "d"});
    ASSERT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(ReadFile(dir / "d.bin"), pcm.substr(0, 125 * 2352)); // the rest is not used

    auto shortFile =
        testsupport::Run({tool, "--tracks", "75,100", "--pcm", dir / "in.raw", dir / "e"});
    EXPECT_NE(shortFile.exitCode, 0);
    EXPECT_NE(shortFile.err.find("holds 150 frames of audio; the tracks need 175"),
              std::string::npos)
        << shortFile.err;
    EXPECT_FALSE(FileExists(dir / "e.bin"));
    EXPECT_NE(
        testsupport::Run({tool, "--tracks", "75", "--pcm", dir / "missing", dir / "f"}).exitCode,
        0);
}

TEST(DiscImage, TextsTheCueSheetCannotCarryAreRefused)
{
    TempDir dir;
    const std::string tool = BinDir() + "/../tools/mkdiscimage";
    for (std::vector<std::string> options :
         {std::vector<std::string>{"--title", "a \"quoted\" word"},
          {"--track-title", "1=two\nlines"},
          {"--performer", "\xC3"},         // half a character
          {"--track-title", "3=no track"}, // the disc has two
          {"--isrc", "x=USSM12345678"},
          {"--catalog", "123"},
          {"--toc", "--title", "toc files carry none"}}) {
        std::vector<std::string> argv = {tool, "--tracks", "10,10"};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back(dir / "bad");
        const RunResult r = testsupport::Run(argv);
        EXPECT_EQ(r.exitCode, 1) << options[1];
        EXPECT_FALSE(r.err.empty());
    }
}
