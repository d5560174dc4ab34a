// The disc's metadata as the CD-access library reads it from real cue sheets (UTF-8 with and
// without a byte-order mark, UTF-16, 8-bit, dashed codes) and from the binary CD-Text
// of a CDTEXTFILE: the packs libburn's notes dump from a real disc.
#include "DiscText.h"

#include "Veltrarip32.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>

using testsupport::ReadFile;
using testsupport::SharedTestData;

namespace
{

rip32::DiscText FromSheet(const std::string& bytes, const std::string& folder = ".")
{
    rip32::CueSheet sheet;
    rip32::CueError error;
    EXPECT_TRUE(rip32::ParseCueSheet(bytes, sheet, error)) << error.what;
    return rip32::DiscTextFromCue(sheet, folder);
}

// The packs of the "NIGHTCATS" example: lines "  N : 80 00 00 00  J  o ... f0 f7", each byte
// three columns wide, a text byte written as its character, any other in hexadecimal.
std::string NightcatsPacks()
{
    std::istringstream notes(ReadFile(SharedTestData() + "/metadata/cdtext/libburn/cdtext.txt"));
    const std::regex packLine(R"(^ +\d+ : 8[0-9a-f] )");
    std::string packs, line;
    bool example = false;
    while (std::getline(notes, line)) {
        example = example || line.find("this yields as text packs") != std::string::npos;
        if (!example || !std::regex_search(line, packLine)) continue;
        const size_t start = line.find(" : ") + 3;
        for (int i = 0; i < 18; ++i) {
            const std::string field = line.substr(start + 3 * static_cast<size_t>(i), 2);
            const bool hex = field[0] != ' ' && field[1] != ' ' &&
                             std::isxdigit(static_cast<unsigned char>(field[0])) &&
                             std::isxdigit(static_cast<unsigned char>(field[1]));
            packs += hex ? static_cast<char>(std::stoi(field, nullptr, 16)) : field[1];
        }
    }
    return packs;
}

} // namespace

TEST(DiscText, RealCueSheets)
{
    const std::string cue = SharedTestData() + "/cue/";
    const std::string album = "\xD0\x90\xD0\xBB\xD1\x8C\xD0\xB1\xD0\xBE\xD0\xBC"; // Альбом
    for (const char* name : {"ru_utf8.cue", "ru_utf8_BOM.cue"}) {
        const rip32::DiscText t = FromSheet(ReadFile(cue + "flacon/" + name));
        EXPECT_EQ(t.album.title, album) << name;
        EXPECT_EQ(t.album.performer, "Супер группа") << name;
        EXPECT_EQ(t.tracks.at(4).title, "Трек 04") << name;
        EXPECT_EQ(*t.Field(1, CD_TEXT_TITLE), "Трек 01");
        EXPECT_EQ(t.Field(1, CD_TEXT_PERFORMER), nullptr);
    }
    // An 8-bit sheet's bytes are read as Latin-1: whatever its code page, the text is UTF-8.
    EXPECT_EQ(FromSheet(ReadFile(cue + "flacon/ru_cp1251.cue")).album.title,
              "\xC3\x80\xC3\xAB\xC3\xBC\xC3\xA1\xC3\xAE\xC3\xAC");

    rip32::DiscText t = FromSheet(ReadFile(cue + "flac/good.001.cue"));
    EXPECT_EQ(t.mcn, "1234567890123");
    EXPECT_EQ(t.tracks.at(2).isrc, "ABCDE7654321");
    EXPECT_EQ(t.tracks.at(3).isrc, "ABCD76543210");
    EXPECT_EQ(t.tracks.at(1).isrc, "");

    t = FromSheet(ReadFile(SharedTestData() + "/metadata/cdtext/cue-munger/utf16-test.cue"));
    EXPECT_EQ(t.album.title, "Love.Angel.Music.Baby.");
    EXPECT_EQ(t.tracks.at(2).performer, "Gwen Stefani [Feat. Eve]");
    t = FromSheet(
        ReadFile(SharedTestData() + "/metadata/cdtext/cue-munger/eac-eurovision-2015-disc1.cue"));
    EXPECT_EQ(t.tracks.at(1).title, "I'm Alive");
    EXPECT_EQ(t.tracks.at(1).performer, "Elhaida Dani");
    // REM lines and a CATALOG of zeros are no metadata.
    EXPECT_EQ(t.mcn, "");
    EXPECT_EQ(
        FromSheet("CATALOG 0000000000000\nFILE a.bin BINARY\nTRACK 1 AUDIO\nINDEX 1 0:0:0").mcn,
        "");
}

TEST(DiscText, BinaryCdTextFileFillsWhatTheLinesLeaveEmpty)
{
    const std::string packs = NightcatsPacks();
    ASSERT_EQ(packs.size(), 22u * 18u);
    testsupport::TempDir dir;
    // As a drive hands it out (a 4-byte header first), the way such files are usually written.
    testsupport::WriteFile(dir / "night.cdt", std::string("\x01\x8e\x00\x00", 4) + packs);
    const std::string sheet = "CDTEXTFILE \"night.cdt\"\nFILE a.bin BINARY\n"
                              "TRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                              "TRACK 02 AUDIO\nTITLE \"Sheet's Own\"\nINDEX 01 00:01:00\n"
                              "TRACK 03 AUDIO\nINDEX 01 00:02:00\n";
    const rip32::DiscText t = FromSheet(sheet, dir.path());
    EXPECT_EQ(t.album.title, "Joyful Nights");
    EXPECT_EQ(t.album.performer, "");
    EXPECT_EQ(t.mcn, "1234567890123");
    EXPECT_EQ(t.tracks.at(1).title, "Song of Joy");
    EXPECT_EQ(t.tracks.at(1).performer, "Felix and The Purrs");
    EXPECT_EQ(t.tracks.at(1).songwriter, "Friedrich Schiller");
    EXPECT_EQ(t.tracks.at(1).isrc, "XYBLG1101234");
    EXPECT_EQ(t.tracks.at(2).title, "Sheet's Own");
    EXPECT_EQ(t.tracks.at(2).performer, "Catwalk Beauties");
    EXPECT_EQ(t.tracks.at(3).songwriter, "Mia Kitten");
    EXPECT_EQ(t.tracks.at(3).isrc, "XYBLG1100006");

    // Bytes that are no packs, or no file at all, leave the sheet's own lines.
    testsupport::WriteFile(dir / "night.cdt", "not CD-Text");
    EXPECT_EQ(FromSheet(sheet, dir.path()).tracks.at(2).title, "Sheet's Own");
    EXPECT_EQ(FromSheet(sheet, dir / "elsewhere").album.title, "");
}
