// Output and drive faults through the console ripper: the track fails and is reported, the
// program never crashes, and the next track still rips.
#include "support/TestDisc.h"
#include "support/WavFile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace testsupport;

namespace
{

struct Fixture {
    ProgramFolder folder;
    TempDir dir, out;
    TestDisc disc;

    Fixture(std::vector<uint32_t> lengths, const std::string& faults = "")
        : disc(WriteTestDisc(dir, std::move(lengths), faults))
    {
    }
    RunResult Rip(const std::string& format = "wav", const std::string& outFolder = "",
                  const std::string& shellPrefix = "")
    {
        const std::string folderArg = outFolder.empty() ? out.path() : outFolder;
        if (shellPrefix.empty())
            return RunCli(folder, disc, {"--out", folderArg, "--format", format});
        return testsupport::Run(
            {"/bin/bash", "-c",
             shellPrefix + " exec \"$0\" --image \"$1\" --out \"$2\" --format \"$3\"",
             folder.program("veltracdrip-cli"), disc.image.descriptorPath, folderArg, format});
    }
    std::vector<uint8_t> Track(size_t i) const { return disc.Pattern(i); }
    std::vector<uint8_t> Wav(const std::string& name) const { return ReadWav(out / name).data; }
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(CliFaults, AFullDiskFailsTheTrackAndTheNextSmallerTrackStillRips)
{
    // A file-size limit stands in for a full disk: 2000 KiB take track 2, not track 1.
    Fixture f({1500, 300, 600});
    // Limits in KiB that the long first track exceeds and the short second track does not.
    for (auto [format, limit] :
         std::vector<std::pair<std::string, int>>{{"wav", 2000}, {"mp3", 200}, {"ogg", 200}}) {
        auto run = f.Rip(format, "", "trap '' XFSZ; ulimit -f " + std::to_string(limit) + ";");
        EXPECT_EQ(run.exitCode, 1) << format << run.err;
        EXPECT_TRUE(Contains(run.err, "Track 01: not ripped: write error")) << format << run.err;
        EXPECT_FALSE(Contains(run.err, "Track 02: not ripped")) << format << run.err;
    }
    EXPECT_EQ(f.Wav("Track 02.wav"), f.Track(1));
}

TEST(CliFaults, AnOutputFolderThatCannotBeMadeOrAPathTooLongIsReportedPerTrack)
{
    Fixture f({30, 30});
    WriteFile(f.out / "plain-file", "");
    auto run = f.Rip("wav", f.out / "plain-file/sub");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, "Track 01: not ripped: the output file could not be opened"))
        << run.err;
    EXPECT_TRUE(Contains(run.err, "Track 02: not ripped: the output file could not be opened"))
        << run.err;

    auto tooLong = f.Rip("wav", f.out / std::string(300, 'x'));
    EXPECT_EQ(tooLong.exitCode, 1);
    EXPECT_TRUE(Contains(tooLong.err, "could not be opened")) << tooLong.err;
    std::error_code ec;
    EXPECT_FALSE(std::filesystem::exists(f.out / std::string(300, 'x'), ec));
}

TEST(CliFaults, DriveFaultsFailOnlyTheirTrack)
{
    struct Case {
        const char* faults;
        const char* failedTrack;
    };
    // Unreadable sectors in the middle of track 2; status 4 that never recovers; jitter on
    // every read of track 2 (its first request has nothing to align on).
    for (const Case& c :
         {Case{"error 130-131 2\n", "Track 02"}, Case{"retry 110 always\n", "Track 02"},
          Case{"shift 100-199 16\n", "Track 02"}}) {
        Fixture f({100, 100, 100}, c.faults);
        auto run = f.Rip();
        EXPECT_EQ(run.exitCode, 1) << c.faults;
        EXPECT_TRUE(Contains(run.err, std::string(c.failedTrack) + ": not ripped: read error"))
            << c.faults << run.err;
        EXPECT_EQ(f.Wav("Track 01.wav"), f.Track(0)) << c.faults;
        EXPECT_EQ(f.Wav("Track 03.wav"), f.Track(2)) << c.faults;
        auto failed = f.Wav("Track 02.wav");
        EXPECT_LT(failed.size(), 100u * 2352) << c.faults;
    }
}

TEST(CliFaults, JitterAfterTheFirstRequestIsCorrectedBitForBit)
{
    Fixture f({200, 200}, "shift 250-399 -24\n");
    auto run = f.Rip();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(f.Wav("Track 02.wav"), f.Track(1));
}

TEST(CliFaults, AnImageTruncatedDuringTheRipFailsTheRestWithoutZeros)
{
    Fixture f({300, 300}, "delay * 20\n"); // slow enough to cut the image under it
    std::thread cutter([&f] {
        // Wait until the first track's file is being written, then cut the disc in track 1.
        for (int i = 0; i < 500 && !FileExists(f.out / "Track 01.wav"); ++i)
            usleep(10000);
        truncate(f.disc.image.binPath.c_str(), 150 * 2352);
    });
    auto run = f.Rip();
    cutter.join();
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_TRUE(Contains(run.err, "Track 01: not ripped: read error")) << run.err;
    EXPECT_TRUE(Contains(run.err, "Track 02: not ripped: read error")) << run.err;
    auto first = f.Wav("Track 01.wav");
    auto expected = f.Track(0);
    ASSERT_LE(first.size(), 150u * 2352);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), expected.begin())); // no invented audio
}
