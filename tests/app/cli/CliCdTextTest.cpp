// The disc's own metadata in the console ripper: CD-Text as the look-up's last source when no
// server answers, and the disc's ISRCs and MCN in the tags and the CUE sheet, with or without a
// look-up. The images are written by mkdiscimage.
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace testsupport;

namespace
{

class CliCdText : public ::testing::Test
{
protected:
    // mkdiscimage with two tracks and the given options; the path of the cue sheet.
    std::string Image(std::vector<std::string> options)
    {
        std::vector<std::string> argv = {BinDir() + "/../tools/mkdiscimage", "--tracks", "40,75",
                                         "--silence"};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back(dir / "disc");
        const RunResult r = testsupport::Run(argv);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return dir / "disc.cue";
    }

    RunResult Rip(const std::string& image, std::vector<std::string> extra)
    {
        // Port 9 of this machine: nothing listens, so both look-ups fail at once.
        std::vector<std::string> argv = {folder.program("veltracdrip-cli"),
                                         "--image",
                                         image,
                                         "--out",
                                         out.path(),
                                         "--overwrite",
                                         "--cue",
                                         "--musicbrainz-url",
                                         "http://127.0.0.1:9",
                                         "--gnudb-url",
                                         "http://127.0.0.1:9/~cddb/cddb.cgi"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        return testsupport::Run(argv, {{"XDG_CACHE_HOME", cache.path()}});
    }

    // The only CUE sheet in the output folder.
    std::string Cue()
    {
        for (const auto& e : std::filesystem::directory_iterator(out.path()))
            if (e.path().extension() == ".cue") return ReadFile(e.path());
        return {};
    }

    ProgramFolder folder;
    TempDir dir, out, cache;
};

} // namespace

TEST_F(CliCdText, CdTextNamesAndTagsWhenNoServerAnswers)
{
    const std::string longTitle(600, 'x');
    const std::string image =
        Image({"--title", "Café Ölmühle", "--performer", "Группа", "--track-title", "1=AC/DC\tlive",
               "--track-songwriter", "1=Søren", "--track-title", "2=" + longTitle,
               "--track-performer", "2=Гость", "--isrc", "1=US-SM1-23-45678", "--isrc",
               "2=GBAYE0000001", "--catalog", "0724384260925"});
    const RunResult r = Rip(image, {"--lookup", "--format", "flac"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.err.find("MusicBrainz: no network"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("1: Группа - Café Ölmühle (CD-Text)"), std::string::npos) << r.out;

    // "/" and the tab pass the name rules; the 600-character title is shortened, not refused.
    const std::string album = out / "Группа/Café Ölmühle";
    const std::string first = album + "/01 AC_DC_live.flac";
    ASSERT_TRUE(FileExists(first)) << r.out << r.err;
    std::string second;
    for (const auto& e : std::filesystem::directory_iterator(album))
        if (e.path().filename().string().rfind("02 xxx", 0) == 0) second = e.path();
    ASSERT_FALSE(second.empty());
    EXPECT_LE(std::filesystem::path(second).filename().string().size(), 255u);

    RunResult tags = testsupport::Run({"/usr/bin/metaflac", "--export-tags-to=-", first});
    for (const char* line : {"TITLE=AC/DC\tlive\n", "ARTIST=Группа\n", "ALBUM=Café Ölmühle\n",
                             "COMPOSER=Søren\n", "ISRC=USSM12345678\n", "BARCODE=0724384260925\n"})
        EXPECT_NE(tags.out.find(line), std::string::npos) << line << tags.out;
    tags = testsupport::Run({"/usr/bin/metaflac", "--export-tags-to=-", second});
    EXPECT_NE(tags.out.find("ARTIST=Гость\n"), std::string::npos) << tags.out;
    EXPECT_NE(tags.out.find("TITLE=" + longTitle + "\n"), std::string::npos);

    const std::string cue = Cue();
    for (const char* line :
         {"CATALOG 0724384260925\nPERFORMER \"Группа\"\nTITLE \"Café Ölmühle\"\n",
          "  TRACK 01 AUDIO\n    TITLE \"AC/DC\tlive\"\n    PERFORMER "
          "\"Группа\"\n    ISRC USSM12345678\n",
          "    ISRC GBAYE0000001\n"})
        EXPECT_NE(cue.find(line), std::string::npos) << line << cue;
}

TEST_F(CliCdText, TheDiscsCodesWithoutLookup)
{
    const std::string image = Image({"--isrc", "2=GBAYE0000001", "--catalog", "0724384260925"});
    RunResult r = Rip(image, {"--format", "mp3"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out.find("Looking up"), std::string::npos);
    const std::string cue = Cue();
    EXPECT_NE(cue.find("CATALOG 0724384260925\nFILE \"Track 01.MP3\""), std::string::npos) << cue;
    EXPECT_NE(cue.find("  TRACK 02 AUDIO\n    ISRC GBAYE0000001\n"), std::string::npos) << cue;
    EXPECT_EQ(cue.find("TITLE"), std::string::npos) << cue;
    r = testsupport::Run({"/usr/bin/mutagen-inspect", out / "Track 02.MP3"});
    EXPECT_NE(r.out.find("TSRC=GBAYE0000001\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("TXXX=BARCODE=0724384260925\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("TIT2"), std::string::npos) << r.out;
    r = testsupport::Run({"/usr/bin/mutagen-inspect", out / "Track 01.MP3"});
    EXPECT_EQ(r.out.find("TSRC"), std::string::npos) << r.out;

    // A disc without codes: no tag at all and a sheet without CATALOG or ISRC, as before.
    const std::string plain = Image({});
    r = Rip(plain, {"--format", "mp3"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(ReadFile(out / "Track 01.MP3").compare(0, 3, "ID3"), 0);
    EXPECT_EQ(Cue().find("CATALOG"), std::string::npos);
    EXPECT_EQ(Cue().find("ISRC"), std::string::npos);
}
