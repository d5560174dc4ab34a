// Disc images as people have them, through the console ripper: one disc written as one BINARY
// file, one WAVE file per track (EAC's layout) and one FLAC file lists, identifies and rips
// alike; the audio before track 1 rips as "Track 00"; a refused sheet is named with its line.
#include "discimage/DiscImage.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace
{

std::vector<uint8_t> WavData(const std::string& path)
{
    auto wav = ReadBytes(path);
    return wav.size() < 44 ? std::vector<uint8_t>{}
                           : std::vector<uint8_t>(wav.begin() + 44, wav.end());
}

} // namespace

TEST(CliImage, ThreeImagesOfOneDiscListIdentifyAndRipAlike)
{
    ProgramFolder folder;
    TempDir dir;
    const std::string cli = folder.program("veltracdrip-cli");
    discimage::DiscLayout layout;
    layout.audioLengths = {100, 230, 75};
    layout.hidden = 60;
    layout.pregap = 40;
    std::string firstList, firstIds;
    for (auto files :
         {discimage::Files::Binary, discimage::Files::WavePerTrack, discimage::Files::Flac}) {
        layout.files = files;
        const std::string name = "disc" + std::to_string(static_cast<int>(files));
        const auto image = discimage::WriteDiscImage(layout, dir / name);
        SCOPED_TRACE(image.descriptorPath);
        auto list = testsupport::Run({cli, "--list", "--image", image.descriptorPath});
        ASSERT_EQ(list.exitCode, 0) << list.err;
        auto ids = testsupport::Run({cli, "--verify-only", "--image", image.descriptorPath});
        ASSERT_EQ(ids.exitCode, 0) << ids.err;
        if (firstList.empty()) {
            firstList = list.out;
            firstIds = ids.out.substr(0, ids.out.find("\nReading"));
            EXPECT_NE(firstList.find("Track 01     00:01          60        100"),
                      std::string::npos)
                << firstList;
        }
        EXPECT_EQ(list.out, firstList);
        EXPECT_EQ(ids.out.substr(0, ids.out.find("\nReading")), firstIds);

        const std::string out = dir / (name + "-out");
        auto rip = testsupport::Run({cli, "--image", image.descriptorPath, "--out", out, "--format",
                                     "wav", "--tracks", "0-3"});
        ASSERT_EQ(rip.exitCode, 0) << rip.err;
        EXPECT_EQ(WavData(out + "/Track 00.wav"), discimage::PatternBytes(0, 60));
        for (size_t t = 0; t < 3; ++t)
            EXPECT_EQ(WavData(out + "/Track 0" + std::to_string(t + 1) + ".wav"),
                      discimage::PatternBytes(image.trackStarts[t], layout.audioLengths[t]))
                << t;
    }
    EXPECT_NE(firstIds.find("CDDB disc id: "), std::string::npos) << firstIds;
}

TEST(CliImage, RefusalsNameTheFileTheLineAndTheReason)
{
    ProgramFolder folder;
    TempDir dir;
    const std::string cli = folder.program("veltracdrip-cli");
    const std::string sheet = dir / "disc.cue";
    WriteFile(sheet,
              "REM a sheet\nFILE \"disc.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    for (const char* option : {"--list", "--format"}) {
        std::vector<std::string> argv{cli, "--image", sheet, option};
        if (std::string(option) == "--format") argv.push_back("wav");
        auto run = testsupport::Run(argv);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find(sheet + ", line 2: the data file \"disc.wav\" does not exist"),
                  std::string::npos)
            << run.err;
    }
    auto missing = testsupport::Run({cli, "--list", "--image", dir / "nothere.cue"});
    EXPECT_NE(missing.err.find(dir / "nothere.cue" + ": no such file"), std::string::npos)
        << missing.err;
    // A disc whose first track starts at its beginning has no track 0.
    discimage::DiscLayout layout;
    layout.audioLengths = {30};
    const auto image = discimage::WriteDiscImage(layout, dir / "plain");
    auto none = testsupport::Run(
        {cli, "--image", image.descriptorPath, "--format", "wav", "--tracks", "0"});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_NE(none.err.find("there is no track 0"), std::string::npos) << none.err;
}
