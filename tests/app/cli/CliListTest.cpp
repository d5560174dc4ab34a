// The console ripper run as a program from a program folder of its own.
#include "support/TestDisc.h"

#include <gtest/gtest.h>

using namespace testsupport;

TEST(CliList, ListsTheTracksOfAnImageAndCreatesTheSettingsFileInItsOwnFolder)
{
    ProgramFolder folder;
    TempDir discs;
    discimage::DiscLayout layout;
    layout.firstTrack = 3;
    layout.audioLengths = {4500, 1};
    layout.dataLength = 500;
    auto run = RunCli(folder, WriteTestDisc(discs, layout), {"--list"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Track 03     01:00"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Track 04     00:00"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Data Track"), std::string::npos) << run.out;
    EXPECT_EQ(ReadFile(folder / "VeltraCDRipper.ini"), "[OutPut]\nEncode=MP3\n");
}

TEST(CliList, NoDriveIsAClearError)
{
    ProgramFolder folder;
    auto run =
        testsupport::Run({folder.program("veltracdrip-cli"), "--image", "/nonexistent/disc.cue"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.err.find("no drive or disc image could be opened"), std::string::npos);
}
