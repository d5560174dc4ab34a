// Tracks encoded in parallel: the same files, sheet and log as one track at a time, and a
// Ctrl-C that stops every track in flight with each file still valid.
#include "discimage/DiscImage.h"
#include "support/TestSupport.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

using namespace testsupport;

namespace
{

discimage::WrittenImage MakeDisc(const TempDir& dir, const std::string& faults = "")
{
    discimage::DiscLayout layout;
    layout.audioLengths = {1, 900, 27, 1500, 55, 700};
    auto image = discimage::WriteDiscImage(layout, dir / "disc");
    if (!faults.empty()) WriteFile(image.descriptorPath + ".faults", faults);
    return image;
}

// The log without its dated heading, its output folder written as OUT.
std::string LogBody(const TempDir& out, const std::string& name)
{
    std::string text = ReadFile(out / name);
    text = text.substr(text.find('\n') + 1);
    for (size_t at; (at = text.find(out.path())) != std::string::npos;)
        text.replace(at, out.path().size(), "OUT");
    return text;
}

// Ogg files carry a random stream serial number: compare what they decode to.
std::string Decoded(const std::string& ogg, const TempDir& dir)
{
    const std::string raw = dir / (std::filesystem::path(ogg).stem().string() + ".raw");
    auto run = testsupport::Run({"/usr/bin/oggdec", "-Q", "-R", "-o", raw, ogg});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return ReadFile(raw);
}

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(CliJobs, TwoJobsGiveTheFilesSheetAndLogOfOneInEveryFormat)
{
    ProgramFolder folder;
    TempDir dir;
    const auto image = MakeDisc(dir);
    for (const std::string format : {"wav", "mp3", "ogg"}) {
        TempDir one, two, decoded;
        for (const auto& [jobs, out] : {std::pair{"1", &one}, std::pair{"2", &two}}) {
            auto run = testsupport::Run({folder.program("veltracdrip-cli"), "--image",
                                         image.descriptorPath, "--out", out->path(), "--format",
                                         format, "--jobs", jobs, "--cue", "--log"});
            ASSERT_EQ(run.exitCode, 0) << format << " --jobs " << jobs << run.out << run.err;
        }
        const auto names = FilesIn(one.path());
        ASSERT_EQ(names, FilesIn(two.path())) << format;
        ASSERT_EQ(names.size(), 8u) << format; // six tracks, the sheet and the log
        for (const auto& name : names) {
            if (name.ends_with(".log"))
                EXPECT_EQ(LogBody(one, name), LogBody(two, name)) << format;
            else if (name.ends_with(".ogg"))
                EXPECT_EQ(Decoded(one / name, decoded), Decoded(two / name, decoded)) << name;
            else
                EXPECT_EQ(ReadBytes(one / name), ReadBytes(two / name)) << name;
        }
    }
}

TEST(CliJobs, AJobCountOutsideOneToSixteenIsABadCommandLine)
{
    ProgramFolder folder;
    for (const char* bad : {"0", "17", "-1", "2x", ""}) {
        auto run = testsupport::Run({folder.program("veltracdrip-cli"), "--jobs", bad, "--list"});
        EXPECT_EQ(run.exitCode, 2) << bad;
        EXPECT_NE(run.err.find("job count"), std::string::npos) << bad << ": " << run.err;
    }
}

TEST(CliJobs, CtrlCStopsEveryTrackInFlightAndLeavesEachFileValid)
{
    ProgramFolder folder;
    TempDir dir, out;
    const auto image = MakeDisc(dir, "delay * 20\n"); // a slow drive: 20 ms a read
    const std::string cli = folder.program("veltracdrip-cli");
    std::vector<std::string> args = {cli,     "--image",  image.descriptorPath,
                                     "--out", out.path(), "--format",
                                     "wav",   "--jobs",   "3"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, cli.c_str(), nullptr, nullptr, argv.data(), environ), 0);
    // Interrupt once the fourth track (the long one) has audio in its file.
    const std::string fourth = out / "Track 04.wav";
    for (int i = 0; i < 3000 && FileSize(fourth) <= 44 + 100 * 2352; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_LT(FileSize(fourth), 44 + 1500 * 2352);
    EXPECT_FALSE(FileExists(out / "Track 05.wav")); // never started
    EXPECT_FALSE(FileExists(out / "Track 06.wav"));
    for (const auto& name : FilesIn(out.path())) {
        const auto wav = ReadBytes(out / name);
        ASSERT_GE(wav.size(), 44u) << name;
        const uint32_t dataSize =
            wav[40] | (wav[41] << 8) | (wav[42] << 16) | (uint32_t(wav[43]) << 24);
        EXPECT_EQ(dataSize, wav.size() - 44) << name;
        EXPECT_EQ(dataSize % 4, 0u) << name;
    }
}
