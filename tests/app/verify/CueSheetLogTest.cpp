// The CUE sheet and rip log writers: what a reader of the sheet gets back, and what the log
// says about tracks that were, were not, or could not be verified.
#include "TocFiles.h"
#include "app/verify/CueSheet.h"
#include "app/verify/RipLog.h"

#include <gtest/gtest.h>

using namespace verify;

TEST(CueSheet, ReadsBackAsWritten)
{
    CueSheet sheet;
    sheet.remarks = {"DISCID 5A038407", "COMMENT \"VeltraCDRip\"\nFILE \"x\" WAVE"};
    sheet.tracks.push_back({3, "Track 03.wav", CueFileType("wav"), 33, true, false, {}, {}, {}});
    sheet.tracks.push_back({4, "Say \"yes\".mp3", CueFileType("MP3"), 0, false, true, {}, {}, {}});
    sheet.tracks.push_back({5, "Track 05.dat", CueFileType("dat"), 0, false, false, {}, {}, {}});
    const std::string text = CueSheetText(sheet);

    const auto cue = tocfiles::ParseCue(text);
    // A line break in a remark cannot start a line of its own.
    ASSERT_EQ(cue.remarks.size(), 2u);
    EXPECT_EQ(cue.remarks[0], "DISCID 5A038407");
    ASSERT_EQ(cue.tracks.size(), 3u);
    EXPECT_EQ(cue.tracks[0].number, 3);
    EXPECT_EQ(cue.tracks[0].file, "Track 03.wav");
    EXPECT_EQ(cue.tracks[0].fileType, "WAVE");
    EXPECT_EQ(cue.tracks[0].pregap, 33u);
    EXPECT_EQ(cue.tracks[0].flags, std::vector<std::string>{"DCP"});
    EXPECT_EQ(cue.tracks[1].file, "Say 'yes'.mp3");
    EXPECT_EQ(cue.tracks[1].fileType, "MP3");
    EXPECT_EQ(cue.tracks[1].flags, std::vector<std::string>{"PRE"});
    EXPECT_EQ(cue.tracks[2].fileType, "BINARY");
    for (const auto& t : cue.tracks) {
        EXPECT_EQ(t.index01, 0);
        EXPECT_TRUE(t.audio);
    }
    EXPECT_NE(text.find("    PREGAP 00:00:33\n"), std::string::npos);
    EXPECT_EQ(CueFileType("ogg"), "WAVE");
}

TEST(RipLog, TracksOfEveryOutcome)
{
    RipLogInfo info;
    info.heading = "VeltraCDRip rip log";
    info.settings = {{"Drive", "image /discs/a.cue"}, {"Read offset correction", "none"}};
    info.disc = {{"CDDB disc id", "0a001e05"}};

    LogTrack good;
    good.number = 1;
    good.name = "Track 01";
    good.file = "/out/Track 01.wav";
    good.start = 0;
    good.length = 4577;
    good.status = "complete";
    good.retries = 1;
    good.checksums = true;
    good.crc32 = 0x8CE80129;
    good.crc32WithoutNullSamples = 0x2D5000DC;
    good.accurateRipV1 = 0x9D6C90EC;
    good.accurateRipV2 = 0xB775893E;
    good.verification = "accurate (v2 confidence 7, of 20)";
    good.accurate = true;

    LogTrack failed = good;
    failed.number = 2;
    failed.name = "Track 02";
    failed.file = "";
    failed.status = "read error";
    failed.retries = 4;
    failed.checksums = false;
    failed.verification = "not checked: the track was not read whole";
    failed.accurate = false;

    LogTrack data = good;
    data.number = 3;
    data.name = "Data Track";
    data.data = true;
    data.verification.clear();

    info.tracks = {good, failed, data};
    const std::string text = RipLogText(info);
    EXPECT_EQ(text.rfind("VeltraCDRip rip log\n\n", 0), 0u) << text;
    EXPECT_NE(text.find("Drive:                       image /discs/a.cue\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\nTrack 01\n  File:                        /out/Track 01.wav\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  Length:                      01:01.02 (4577 frames)\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  Read:                        complete, 1 re-read\n"), std::string::npos)
        << text;
    EXPECT_NE(
        text.find(
            "  CRC32:                       8CE80129\n  CRC32 without null samples:  2D5000DC\n"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("  AccurateRip v2:              B775893E\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  Verification:                accurate (v2 confidence 7, of 20)\n"),
              std::string::npos);
    EXPECT_NE(text.find("  File:                        (none written)\n  Start:"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  Read:                        read error, 4 re-reads\n"),
              std::string::npos);
    EXPECT_NE(text.find("  Checksums:                   none: the track was not read whole\n"),
              std::string::npos);
    EXPECT_NE(text.find("\nTrack 03 (Data Track)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  AccurateRip:                 none for a data track\n"),
              std::string::npos);
    EXPECT_NE(text.find("\n2 of 3 tracks read completely; 1 of 2 verified accurate\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(MsfText(270000, '.'), "60:00.00");
}

TEST(CueSheet, DiscInformationAndOnlyValidCodes)
{
    CueSheet sheet;
    sheet.catalog = "0602537043217";
    sheet.title = "Caf\xC3\xA9 \"Live\"";
    sheet.performer = "AC/DC";
    sheet.tracks.push_back(
        {1, "AC_DC/01 A.wav", "WAVE", 0, false, false, "A", "B", "GBAHT1000123"});
    sheet.tracks.push_back(
        {2, "AC_DC/02 B.wav", "WAVE", 0, false, false, "", "", "GB-AHT-10-00124"});
    std::string text = CueSheetText(sheet);
    EXPECT_EQ(
        text.rfind("CATALOG 0602537043217\nPERFORMER \"AC/DC\"\nTITLE \"Caf\xC3\xA9 'Live'\"\n"
                   "FILE \"AC_DC/01 A.wav\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"A\"\n"
                   "    PERFORMER \"B\"\n    ISRC GBAHT1000123\n",
                   0),
        0u)
        << text;
    EXPECT_EQ(text.find("ISRC", text.find("TRACK 02")), std::string::npos);
    EXPECT_EQ(tocfiles::ParseCue(text).tracks.size(), 2u);

    for (const char* bad : {"602537043217", "06025370432170", "060253704321X"}) {
        sheet.catalog = bad;
        EXPECT_EQ(CueSheetText(sheet).find("CATALOG"), std::string::npos) << bad;
    }
}
