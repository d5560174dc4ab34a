// The console ripper with --lookup against a local server serving a recorded MusicBrainz reply:
// a disc image with that reply's TOC gets its names and tags; without network it rips as before.
#include "discimage/DiscImage.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace testsupport;

namespace
{

// TOCS.tsv: 7Nz4XI2avmjJkZno9SlDJY7s36E-, offsets 150 19804 36537, lead-out 73170 (disc 3 of
// Privateering in cdigw/disc_with_genre.json).
const std::vector<uint32_t> kPrivateering3 = {19804 - 150, 36537 - 19804, 73170 - 36537};

class CliLookup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        discimage::DiscLayout layout;
        layout.audioLengths = kPrivateering3;
        layout.audio = discimage::Audio::Silence;
        image = discimage::WriteDiscImage(layout, dir / "disc").descriptorPath;
        std::filesystem::create_directories(root.path() + "/ws/2/discid");
        WriteFile(root / "ws/2/discid/7Nz4XI2avmjJkZno9SlDJY7s36E-",
                  ReadFile(SharedTestData() + "/metadata/musicbrainz/cdigw/disc_with_genre.json"));
    }

    RunResult Rip(std::vector<std::string> extra, bool urls = true)
    {
        std::vector<std::string> argv = {folder.program("veltracdrip-cli"),
                                         "--image",
                                         image,
                                         "--out",
                                         out.path(),
                                         "--overwrite"};
        if (urls)
            argv.insert(argv.end(), {"--musicbrainz-url", server.url(), "--gnudb-url",
                                     server.url() + "/~cddb/cddb.cgi"});
        argv.insert(argv.end(), extra.begin(), extra.end());
        return testsupport::Run(argv, {{"XDG_CACHE_HOME", cache.path()}});
    }

    ProgramFolder folder;
    TempDir dir, out, root, cache;
    LocalHttpServer server{root.path()};
    std::string image;
};

} // namespace

TEST_F(CliLookup, RecordedReplyNamesAndTagsTheFiles)
{
    RunResult r = Rip({"--lookup", "--format", "mp3", "--tracks", "1", "--cue"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("1: Mark Knopfler - Privateering (MusicBrainz, disc 3/3, 2012"),
              std::string::npos)
        << r.out;
    const std::string mp3 = out / "Mark Knopfler/Privateering/01 Occupation Blues.MP3";
    ASSERT_TRUE(FileExists(mp3)) << r.out << r.err;
    r = testsupport::Run({"/usr/bin/mutagen-inspect", mp3});
    for (const char* line :
         {"TIT2=Occupation Blues\n", "TPE1=Mark Knopfler\n", "TPE2=Mark Knopfler\n",
          "TALB=Privateering\n", "TRCK=1/3\n", "TPOS=3/3\n", "TDRC=2012\n",
          "TXXX=MusicBrainz Album Id=f7ebe768-d0e8-4f8b-92e9-71d86e9a4e99\n",
          "TXXX=MusicBrainz Disc Id=7Nz4XI2avmjJkZno9SlDJY7s36E-\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
    // The rip writes no ID3v1 tag (level 0), and tagging duplicates none into the file.
    const std::string bytes = ReadFile(mp3);
    EXPECT_NE(bytes.compare(bytes.size() - 128, 3, "TAG"), 0);
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string cue = ReadFile(out / "2103cd03.cue");
    EXPECT_NE(cue.find("PERFORMER \"Mark Knopfler\"\nTITLE \"Privateering\"\nFILE \"Mark "
                       "Knopfler/Privateering/01 Occupation Blues.MP3\" MP3\n  TRACK 01 AUDIO\n"
                       "    TITLE \"Occupation Blues\"\n"),
              std::string::npos)
        << cue;

    // Ogg Vorbis, a template of the command line, the second track, the cover.
    const std::string jpeg = std::string("\xFF\xD8\xFF\xE0") + " a small picture";
    WriteFile(root / "front.jpg", jpeg);
    server.Route("/release/f7ebe768-d0e8-4f8b-92e9-71d86e9a4e99/front", "file front.jpg");
    WriteFile(folder / "VeltraCDRipper.ini", "[Lookup]\nCoverArtUrl=" + server.url() + "\n");
    r = Rip(
        {"--lookup", "--format", "ogg", "--tracks", "2", "--name", "%y/%t - %a - %n?", "--cover"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    const std::string ogg = out / "2012/02 - Mark Knopfler - River Of Grog_.ogg";
    ASSERT_TRUE(FileExists(ogg)) << r.out << r.err;
    r = testsupport::Run({"/usr/bin/vorbiscomment", "-l", ogg});
    for (const char* line :
         {"TITLE=River Of Grog\n", "ALBUM=Privateering\n", "TRACKNUMBER=2\n", "TRACKTOTAL=3\n",
          "DISCNUMBER=3\n", "DATE=2012\n", "METADATA_BLOCK_PICTURE="})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
    EXPECT_EQ(ReadFile(out / "2012/cover.jpg"), jpeg);
}

TEST_F(CliLookup, TheLookupSectionOfTheSettingsFile)
{
    WriteFile(folder / "VeltraCDRipper.ini", "[Lookup]\nNameFormat=%n by %a\nMusicBrainzUrl=" +
                                                 server.url() + "\nGnudbUrl=\nTimeoutSeconds=5\n");
    const RunResult r = Rip({"--lookup", "--format", "wav", "--tracks", "3"}, false);
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_TRUE(FileExists(out / "Follow The Ribbon by Mark Knopfler.wav")) << r.out << r.err;
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(CliLookup, WithoutNetworkTheRipKeepsItsPlainNames)
{
    server.Stop();
    const RunResult r = Rip({"--lookup", "--format", "wav", "--tracks", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.err.find("MusicBrainz: no network"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("no disc information found"), std::string::npos) << r.err;
    EXPECT_TRUE(FileExists(out / "Track 01.wav"));

    // A bad release number is a bad command line.
    EXPECT_EQ(Rip({"--lookup", "--release", "0"}).exitCode, 2);
}
