// --retag against a local server serving a recorded MusicBrainz reply: a rip made without the
// look-up, re-tagged from its log, ends as a rip made with it; files changed or missing since
// the rip are left alone and named.
#include "discimage/DiscImage.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

using namespace testsupport;

namespace
{

// Disc 3 of Privateering (cdigw/disc_with_genre.json), as in the look-up test.
const std::vector<uint32_t> kPrivateering3 = {19804 - 150, 36537 - 19804, 73170 - 36537};
const char kLog[] = "2103cd03.log";
const char kCue[] = "2103cd03.cue";

class CliRetag : public ::testing::Test
{
protected:
    void SetUp() override
    {
        discimage::DiscLayout layout;
        layout.audioLengths = kPrivateering3;
        layout.audio = discimage::Audio::Tones;
        image = discimage::WriteDiscImage(layout, dir / "disc").descriptorPath;
        std::filesystem::create_directories(root.path() + "/ws/2/discid");
        WriteFile(root / "ws/2/discid/7Nz4XI2avmjJkZno9SlDJY7s36E-",
                  ReadFile(SharedTestData() + "/metadata/musicbrainz/cdigw/disc_with_genre.json"));
    }

    RunResult Cli(std::vector<std::string> args, bool urls)
    {
        args.insert(args.begin(), folder.program("veltracdrip-cli"));
        if (urls) args.insert(args.end(), {"--musicbrainz-url", server.url(), "--gnudb-url", ""});
        return testsupport::Run(args, {{"XDG_CACHE_HOME", cache.path()}});
    }
    RunResult Rip(const std::string& out, std::vector<std::string> extra, bool urls = false)
    {
        std::vector<std::string> args = {"--image",     image,   "--out", out,
                                         "--overwrite", "--log", "--cue"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Cli(args, urls);
    }

    ProgramFolder folder;
    TempDir dir, root, cache;
    LocalHttpServer server{root.path()};
    std::string image;
};

// The files below a folder, by relative path, without the log.
std::set<std::string> FilesBelow(const std::string& top)
{
    std::set<std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(top))
        if (e.is_regular_file() && e.path().extension() != ".log")
            files.insert(std::filesystem::relative(e.path(), top).string());
    return files;
}

// What a real reader finds in the file's tags (and stream), without the file's name.
std::string TagsOf(const std::string& path)
{
    const std::string ext = std::filesystem::path(path).extension().string();
    RunResult r;
    if (ext == ".MP3")
        r = testsupport::Run({"/usr/bin/mutagen-inspect", path});
    else if (ext == ".flac")
        r = testsupport::Run({"/usr/bin/metaflac", "--export-tags-to=-", path});
    else if (ext == ".ogg")
        r = testsupport::Run({"/usr/bin/vorbiscomment", "-l", path});
    else
        return "not tagged";
    EXPECT_EQ(r.exitCode, 0) << path << r.err;
    // mutagen-inspect heads its report with the file's name.
    if (r.out.compare(0, 3, "-- ") == 0) r.out.erase(0, r.out.find('\n') + 1);
    return r.out;
}

} // namespace

TEST_F(CliRetag, APlainRipRetaggedEndsAsARipWithTheLookup)
{
    for (const char* format : {"wav", "mp3", "ogg", "flac"}) {
        SCOPED_TRACE(format);
        TempDir plain, looked;
        RunResult r = Rip(plain.path(), {"--format", format, "--tracks", "1"});
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
        r = Rip(looked.path(), {"--format", format, "--tracks", "1", "--lookup"}, true);
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;

        r = Cli({"--retag", plain / kLog}, true);
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
        const std::set<std::string> files = FilesBelow(plain.path());
        ASSERT_EQ(files, FilesBelow(looked.path())) << r.out << r.err;
        EXPECT_EQ(ReadFile(plain / kCue), ReadFile(looked / kCue));
        for (const std::string& f : files)
            if (f != kCue) {
                if (format != std::string("wav")) {
                    EXPECT_NE(TagsOf(plain / f).find("Occupation Blues"), std::string::npos);
                }
                EXPECT_EQ(TagsOf(plain / f), TagsOf(looked / f)) << f;
                // The log follows the file, with the checksum the next re-tag checks.
                EXPECT_NE(ReadFile(plain / kLog).find(plain / f + "\n  File checksum:"),
                          std::string::npos);
            }
    }
}

TEST_F(CliRetag, AChangedOrMissingFileIsLeftAsItIsAndNamed)
{
    TempDir out;
    // Without a look-up the template has nothing to name; the rip says so.
    RunResult r = Rip(out.path(), {"--format", "wav", "--tracks", "1,2", "--name", "%n"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.err.find("--name is not used"), std::string::npos) << r.err;
    const std::string track1 = out / "Track 01.wav";
    std::string bytes = ReadFile(track1);
    bytes[bytes.size() / 2] ^= 1;
    WriteFile(track1, bytes);

    r = Cli({"--retag", out / kLog}, true);
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.err.find("Track 01: " + track1 + " has changed since the rip"), std::string::npos)
        << r.err;
    EXPECT_EQ(ReadFile(track1), bytes);
    const std::string track2 = out / "Mark Knopfler/Privateering/02 River Of Grog.wav";
    EXPECT_TRUE(FileExists(track2)) << r.out << r.err;
    const std::string cue = ReadFile(out / kCue);
    EXPECT_NE(cue.find("FILE \"Track 01.wav\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"Occupation "
                       "Blues\"\n"),
              std::string::npos)
        << cue;
    EXPECT_NE(cue.find("FILE \"Mark Knopfler/Privateering/02 River Of Grog.wav\""),
              std::string::npos)
        << cue;

    std::filesystem::remove(track2);
    r = Cli({"--retag", out / kLog, "--name", "%t"}, true);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Track 02: " + track2 + " is missing"), std::string::npos) << r.err;

    // No network: one line, nothing renamed.
    server.Stop();
    r = Cli({"--retag", out / kLog}, true);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no disc information found; nothing renamed"), std::string::npos);
    EXPECT_EQ(FilesBelow(out.path()), (std::set<std::string>{kCue, "Track 01.wav"}));

    // A log without the table of contents (an older version's) cannot be used.
    WriteFile(out / "old.log", "VeltraCDRip 1.0 console ripper: rip log of today\n");
    EXPECT_EQ(Cli({"--retag", out / "old.log"}, false).exitCode, 2);
}
