// The console ripper end to end: generated disc images through the real libraries, compared
// byte for byte with the image and with what cd-paranoia extracts.
#include "support/TestDisc.h"
#include "support/WavFile.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

using namespace testsupport;

TEST(CliRip, EveryTrackToWavIsByteIdenticalToTheImageAndToCdParanoia)
{
    ProgramFolder folder;
    TempDir dir, out;
    // 1, 27, 28 and 55 frames, and a track whose reads meet status 4 and a jitter shift.
    TestDisc disc = WriteTestDisc(dir, {1, 27, 28, 55, 400},
                                  "retry 150 2\nshift 220-230 -20\nretry 300-310 1\n");
    auto run = RunCli(folder, disc, {"--out", out.path(), "--format", "wav"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    for (size_t i = 0; i < disc.layout.audioLengths.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Track %02zu.wav", i + 1);
        const auto data = ReadWav(out / name).data;
        EXPECT_EQ(data, disc.Track(i)) << name;
        EXPECT_EQ(data, disc.Pattern(i)) << name;
        const std::string raw = dir / (std::to_string(i + 1) + ".raw");
        auto paranoia = testsupport::Run({"/usr/bin/cd-paranoia", "-d", disc.image.descriptorPath,
                                          "-Z", "-r", std::to_string(i + 1), raw});
        ASSERT_EQ(paranoia.exitCode, 0) << paranoia.err;
        EXPECT_EQ(data, ReadBytes(raw)) << name;
    }
    // The settings file of the program's own folder is created, the disc's is untouched.
    EXPECT_EQ(ReadFile(folder / "VeltraCDRipper.ini"), "[OutPut]\nEncode=MP3\n");
}

TEST(CliRip, ADeclinedOverwriteSkipsTheSecondOfThreeTracks)
{
    ProgramFolder folder;
    TempDir dir, out;
    TestDisc disc = WriteTestDisc(dir, {30, 30, 30});
    WriteFile(out / "Track 02.wav", "existing");
    // No terminal: the overwrite question is answered with Cancel.
    auto run = RunCli(folder, disc, {"--out", out.path(), "--format", "wav"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Track 02: not ripped: skipped: the output file already exists"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("Track 01: not ripped"), std::string::npos);
    EXPECT_EQ(ReadFile(out / "Track 02.wav"), "existing");
    EXPECT_EQ(ReadWav(out / "Track 01.wav").data, disc.Track(0));
    EXPECT_EQ(ReadWav(out / "Track 03.wav").data, disc.Track(2));

    auto again = RunCli(folder, disc,
                        {"--out", out.path(), "--format", "wav", "--overwrite", "--tracks", "2"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(ReadWav(out / "Track 02.wav").data, disc.Track(1));
}

TEST(CliRip, AFailedTrackIsReportedAndTheOthersStillRip)
{
    ProgramFolder folder;
    TempDir dir, out;
    TestDisc disc = WriteTestDisc(dir, {60, 60, 60}, "error 70 2\n");
    auto run = RunCli(folder, disc, {"--out", out.path(), "--format", "wav"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Track 02: not ripped: read error"), std::string::npos) << run.err;
    EXPECT_EQ(ReadWav(out / "Track 01.wav").data, disc.Track(0));
    EXPECT_EQ(ReadWav(out / "Track 03.wav").data, disc.Track(2));
}

TEST(CliRip, BadCommandLinesAndMissingEncodersAreRefusedBeforeAnythingIsWritten)
{
    ProgramFolder folder;
    TempDir dir, out;
    TestDisc disc = WriteTestDisc(dir, {30});
    for (const char* lib :
         {"liblame_enc.so", "libbladeenc.so", "libvorb_enc.so", "libflac_enc.so", "libopus_enc.so"})
        std::remove((folder / lib).c_str());
    const std::string cli = folder.program("veltracdrip-cli");
    auto mp3 = RunCli(folder, disc, {"--out", out.path(), "--format", "mp3"});
    EXPECT_EQ(mp3.exitCode, 2);
    EXPECT_NE(mp3.err.find("no mp3 encoder is available on this machine"), std::string::npos)
        << mp3.err;
    for (const char* format : {"flac", "opus"}) {
        auto missing = RunCli(folder, disc, {"--out", out.path(), "--format", format});
        EXPECT_EQ(missing.exitCode, 2) << format;
        EXPECT_NE(missing.err.find(std::string("no ") + format + " encoder is available"),
                  std::string::npos)
            << missing.err;
    }
    auto unknown = RunCli(folder, disc, {"--format", "aac"});
    EXPECT_EQ(unknown.exitCode, 2);
    // The settings file asks for MP3 by default: without an MP3 encoder that is refused too.
    auto byDefault = RunCli(folder, disc, {"--out", out.path()});
    EXPECT_EQ(byDefault.exitCode, 2);
    EXPECT_NE(byDefault.err.find("choose one with --format"), std::string::npos);
    for (const char* tracks : {"0", "2-1", "x", "1,", "3"}) {
        auto bad = RunCli(folder, disc, {"--format", "wav", "--tracks", tracks});
        EXPECT_EQ(bad.exitCode, 2) << tracks;
    }
    EXPECT_EQ(testsupport::Run({cli, "--bogus"}).exitCode, 2);
    EXPECT_TRUE(std::filesystem::is_empty(out.path()));
    auto help = testsupport::Run({cli, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--overwrite"), std::string::npos);
    auto version = testsupport::Run({cli, "--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "veltracdrip-cli (VeltraCDRip) " VELTRA_PROJECT_VERSION "\n");
}

TEST(CliRip, DataTracksAreRippedOnlyWhenNamed)
{
    ProgramFolder folder;
    TempDir dir, out;
    discimage::DiscLayout layout;
    layout.audioLengths = {20};
    layout.dataLength = 30;
    TestDisc disc = WriteTestDisc(dir, layout);
    auto run = RunCli(folder, disc, {"--out", out.path(), "--format", "wav"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(FileExists(out / "Track 01.wav"));
    EXPECT_FALSE(FileExists(out / "Data Track.wav"));

    // Named, it is kept as the raw image of its sectors, not as audio.
    auto named = RunCli(folder, disc, {"--out", out.path(), "--format", "wav", "--tracks", "2"});
    EXPECT_EQ(named.exitCode, 0) << named.err;
    EXPECT_FALSE(FileExists(out / "Data Track.wav"));
    const auto dat = ReadBytes(out / "Data Track.dat");
    ASSERT_EQ(dat.size(), 30u * 2352);
    for (size_t frame = 0; frame < 30; ++frame) {
        const uint8_t* sector = dat.data() + frame * 2352;
        const uint8_t sync[12] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};
        ASSERT_TRUE(std::equal(sync, sync + 12, sector)) << frame;
        EXPECT_EQ(sector[15], 1); // Mode 1
    }
}

TEST(CliRip, AnEncoderThatCannotStartFailsEveryTrackWithItsReason)
{
    ProgramFolder folder;
    TempDir dir, out;
    TestDisc disc = WriteTestDisc(dir, {30, 30});
    // An MP3 back-end that loads and answers its version, then refuses every stream. The
    // folder's files are links to bin/'s: removed first, never written through.
    std::remove((folder / "liblame_enc.so").c_str());
    std::remove((folder / "libbladeenc.so").c_str());
    std::filesystem::copy_file(BinDir() + "/../tests/libvencfake_init_fails.so",
                               folder / "liblame_enc.so");
    auto run = RunCli(folder, disc, {"--out", out.path(), "--format", "mp3"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    for (const char* track : {"Track 01", "Track 02"})
        EXPECT_NE(
            run.err.find(std::string(track) + ": not ripped: the encoder could not be started"),
            std::string::npos)
            << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(out.path())); // no empty MP3 files left behind
}
