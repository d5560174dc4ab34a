// Secure mode through the simulated drive: flaky frames read back exact, frames no two reads
// agree on make the track "inexact" with their positions, and frames wrong the same way every
// time pass unnoticed (only a checksum database can catch them).
#include "discimage/DiscImage.h"
#include "support/TestDisc.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace testsupport;

namespace
{

// Members first: the disc is written from them.
struct DiscFiles {
    ProgramFolder folder;
    TempDir dir, out;
    std::vector<uint32_t> lengths{200, 300};
};

struct Disc : DiscFiles, TestDisc {

    explicit Disc(const std::string& faults) : TestDisc(WriteTestDisc(dir, lengths, faults)) {}
    RunResult Rip(std::vector<std::string> extra = {})
    {
        std::vector<std::string> args = {"--out", out.path(), "--format", "wav", "--overwrite"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCli(folder, *this, args);
    }
    bool Exact(size_t i, const std::string& name) const
    {
        const auto wav = ReadBytes(out / name);
        return wav.size() > 44 && std::vector<uint8_t>(wav.begin() + 44, wav.end()) ==
                                      discimage::PatternBytes(image.trackStarts[i], lengths[i]);
    }
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(CliSecure, FlakyFramesReadBackExactOnlyInSecureMode)
{
    // Track 2 starts at frame 200: its frames 75-80 (one second in) are flaky; c2 or not.
    for (const std::string faults : {"flaky 275-280 20\n", "flaky 275-280 20 c2\n"}) {
        Disc d(faults);
        ASSERT_EQ(d.image.trackStarts[1], 200u);
        auto plain = d.Rip();
        EXPECT_EQ(plain.exitCode, 0) << plain.err;
        EXPECT_TRUE(d.Exact(0, "Track 01.wav"));
        EXPECT_FALSE(d.Exact(1, "Track 02.wav")) << faults;

        auto secure = d.Rip({"--secure"});
        EXPECT_EQ(secure.exitCode, 0) << faults << secure.out << secure.err;
        EXPECT_TRUE(d.Exact(0, "Track 01.wav")) << faults;
        EXPECT_TRUE(d.Exact(1, "Track 02.wav")) << faults;
        EXPECT_FALSE(Contains(secure.out, "inexact")) << secure.out;
    }
}

TEST(CliSecure, UnsettledSamplesMakeTheTrackInexactAtTheirTrackTimes)
{
    // Every sample of frames 275-276 changes on every read: 1176 suspicious samples from
    // track 2's sample 44100 (0:00:01) to 45275.
    Disc d("flaky 275-276 588\n");
    ASSERT_EQ(d.image.trackStarts[1], 200u);
    auto run = d.Rip({"--secure"});
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_TRUE(Contains(run.out, "Track 02: inexact: 1176 suspicious samples at 0:00:01 "
                                  "(sample 44100) to 0:00:01 (sample 45275)\n"))
        << run.out;
    EXPECT_FALSE(Contains(run.out, "Track 01: inexact"));
    EXPECT_TRUE(d.Exact(0, "Track 01.wav"));

    // The setting turns it on as the option does.
    WriteFile(d.folder / "VeltraCDRipper.ini", "[Drive]\nSecure=1\n");
    auto setting = d.Rip();
    EXPECT_EQ(setting.exitCode, 1);
    EXPECT_TRUE(Contains(setting.out, "Track 02: inexact: 1176 suspicious")) << setting.out;
}

TEST(CliSecure, FramesWrongTheSameWayEveryTimePassUnnoticed)
{
    Disc d("bad 250\n");
    auto run = d.Rip({"--secure"});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_FALSE(Contains(run.out, "inexact"));
    EXPECT_FALSE(d.Exact(1, "Track 02.wav"));
}

TEST(CliSecure, TestAndCopyComparesTheCrcsOfTwoWholePasses)
{
    Disc clean("");
    auto same = clean.Rip({"--test-and-copy", "--log"});
    EXPECT_EQ(same.exitCode, 0) << same.out << same.err;
    EXPECT_TRUE(Contains(same.out, "Track 02: CRC32 of the passes ")) << same.out;
    EXPECT_TRUE(Contains(same.out, " (match)\n"));
    EXPECT_FALSE(Contains(same.out, "(differ)"));
    EXPECT_TRUE(clean.Exact(0, "Track 01.wav"));
    EXPECT_TRUE(clean.Exact(1, "Track 02.wav"));
    bool logged = false;
    for (const auto& entry : std::filesystem::directory_iterator(clean.out.path()))
        if (entry.path().extension() == ".log")
            logged = Contains(ReadFile(entry.path().string()), "complete; CRC32 of the passes ");
    EXPECT_TRUE(logged);

    // Each read of a flaky frame differs: so do the passes.
    Disc flaky("flaky 275-280 20\n");
    auto differ = flaky.Rip({"--test-and-copy"});
    EXPECT_EQ(differ.exitCode, 1) << differ.out << differ.err;
    EXPECT_TRUE(Contains(differ.out, "Track 02: inexact: CRC32 of the passes ")) << differ.out;
    EXPECT_TRUE(Contains(differ.out, " (differ)\n"));
    EXPECT_FALSE(Contains(differ.out, "Track 01: inexact"));
    // Secure passes read the true audio both times.
    auto secure = flaky.Rip({"--test-and-copy", "--secure"});
    EXPECT_EQ(secure.exitCode, 0) << secure.out << secure.err;
    EXPECT_FALSE(Contains(secure.out, "inexact")) << secure.out;
    EXPECT_TRUE(flaky.Exact(1, "Track 02.wav"));
    EXPECT_EQ(testsupport::Run(
                  {flaky.folder.program("veltracdrip-cli"), "--test-and-copy", "--verify-only"})
                  .exitCode,
              2);
}
