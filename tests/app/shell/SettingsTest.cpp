// The settings file: defaults at the first start, the values read back, the save.
#include "app/shell/Settings.h"
#include "app/cd/Drive.h"
#include "app/shell/CurrentSettings.h"

#include "platform/ModulePath.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace
{

class SettingsStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        plat::SetProgramFolderOverride(folder.path());
        setenv("VELTRARIP32_IMAGES", "", 1);
        current = CurrentSettings{};
    }
    void TearDown() override { plat::SetProgramFolderOverride(""); }
    std::string Ini() const { return folder / "VeltraCDRipper.ini"; }
    TempDir folder;
    CurrentSettings current;
    DriveState drive;
};

} // namespace

TEST_F(SettingsStore, FirstStartWritesEncodeMp3AndDefaultsTheFolder)
{
    EXPECT_EQ(current.outputFolder, ".");
    EXPECT_EQ(current.encoderType, 0);
    LoadSettings(current, drive);
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nEncode=MP3\n");
    EXPECT_EQ(current.outputFolder, folder.path());
    EXPECT_EQ(current.encoderType, 3);
}

TEST_F(SettingsStore, EncodeValuesAreMatchedBySubstringCaseSensitively)
{
    for (auto [value, type] : std::vector<std::pair<std::string, int>>{
             {"WAV", 1}, {"mp3", 1}, {"MP3", 3}, {"xMP3y", 3}, {"ogg", 1}}) {
        WriteFile(Ini(), "[OutPut]\nPath=/music\nEncode=" + value + "\n");
        LoadSettings(current, drive);
        EXPECT_EQ(current.encoderType, type) << value;
        EXPECT_EQ(current.outputFolder, "/music");
    }
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/music\nEncode=ogg\n"); // nothing written back
}

TEST_F(SettingsStore, SaveWritesBothKeysAndMp3MeansTypeFourUntilTheNextStart)
{
    LoadSettings(current, drive);
    SaveSettings(current, "/data/rips", "MP3");
    EXPECT_EQ(current.encoderType, 4);
    EXPECT_EQ(current.outputFolder, "/data/rips");
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nEncode=MP3\nPath=/data/rips\n");
    SaveSettings(current, "/data/rips", "WAV");
    EXPECT_EQ(current.encoderType, 1);
    SaveSettings(current, "/data/rips", "MP3");
    LoadSettings(current, drive); // a restart
    EXPECT_EQ(current.encoderType, 3);
}

TEST_F(SettingsStore, TheDriveSectionHoldsTheReadOffsetAndTheTable)
{
    WriteFile(Ini(), "[OutPut]\nPath=/music\nEncode=WAV\n");
    LoadSettings(current, drive);
    EXPECT_FALSE(current.readOffset); // absent: none set, as before the section existed
    EXPECT_EQ(current.offsetTable, "");
    EXPECT_EQ(ReadFile(Ini()), "[OutPut]\nPath=/music\nEncode=WAV\n");

    WriteFile(Ini(), "[OutPut]\nPath=/music\nEncode=WAV\n[Drive]\nReadOffset=-1164\n"
                     "OffsetTable=/data/DriveOffsets.bin\n");
    LoadSettings(current, drive);
    EXPECT_EQ(current.readOffset, -1164);
    EXPECT_EQ(current.offsetTable, "/data/DriveOffsets.bin");
    SaveReadOffset(current, 667);
    EXPECT_EQ(current.readOffset, 667);
    LoadSettings(current, drive);
    EXPECT_EQ(current.readOffset, 667);

    for (const char* bad : {"x", "12a", "+", "5881", "-99999", "1.5"}) {
        WriteFile(Ini(), std::string("[Drive]\nReadOffset=") + bad + "\n");
        LoadSettings(current, drive);
        EXPECT_FALSE(current.readOffset) << bad;
    }
    EXPECT_EQ(ParseReadOffset(" +48 "), 48);
    EXPECT_EQ(ParseReadOffset("-5880"), -5880);
    EXPECT_EQ(ParseReadOffset("0"), 0);
}

TEST_F(SettingsStore, APathTooLongForTheOutputFolderIsTreatedAsMissing)
{
    const std::string fits(127, 'a'), tooLong(128, 'b');
    WriteFile(Ini(), "[OutPut]\nPath=/" + fits.substr(1) + "\nEncode=WAV\n");
    LoadSettings(current, drive);
    EXPECT_EQ(current.outputFolder, "/" + fits.substr(1));

    WriteFile(Ini(), "[OutPut]\nPath=/" + tooLong.substr(1) + "\nEncode=WAV\n");
    testsupport::DebugCapture trace;
    LoadSettings(current, drive);
    EXPECT_EQ(current.outputFolder, folder.path());
    EXPECT_TRUE(trace.contains(
        "Path in the settings file is longer than 127 characters, using the default"));
}

TEST_F(SettingsStore, SettingsObjectReadsDefaultsAndWritesIntoTheProgramFolder)
{
    Settings s;
    s.Open(kSettingsFileName);
    EXPECT_EQ(s.path(), folder / "VeltraCDRipper.ini");
    char buf[16];
    EXPECT_TRUE(s.Read("OutPut", "Path", "dflt", buf, sizeof buf));
    EXPECT_STREQ(buf, "dflt");
    EXPECT_TRUE(s.Write("OutPut", "Path", "x"));
    // Neither the program's folder nor a configuration folder can take the file.
    WriteFile(folder / "file", "");
    plat::SetProgramFolderOverride(folder / "file/program");
    setenv("XDG_CONFIG_HOME", (folder / "file/config").c_str(), 1);
    Settings broken;
    broken.Open(kSettingsFileName);
    EXPECT_FALSE(broken.Write("OutPut", "Path", "x"));
    unsetenv("XDG_CONFIG_HOME");
}

TEST(SettingsPlace, AnUnwritableProgramFolderSendsSettingsAndOutputToTheUsersFolders)
{
    TempDir home;
    const std::string realHome = getenv("HOME") ? getenv("HOME") : "";
    testsupport::WriteFile(home / "not-a-folder", "");
    plat::SetProgramFolderOverride(home /
                                   "not-a-folder/program"); // cannot be written, even by root
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("HOME", home.path().c_str(), 1);
    EXPECT_EQ(SettingsFolder(), home / "config/veltracdrip");
    EXPECT_EQ(DefaultOutputFolder(), home / "Music");
    std::filesystem::create_directories(home / "config");
    testsupport::WriteFile(home / "config/user-dirs.dirs",
                           "# written by xdg-user-dirs-update\nXDG_MUSIC_DIR=\"$HOME/Musik\"\n");
    EXPECT_EQ(DefaultOutputFolder(), home / "Musik");

    setenv("VELTRARIP32_IMAGES", "", 1);
    CurrentSettings current;
    DriveState drive;
    LoadSettings(current, drive);
    EXPECT_EQ(ReadFile(home / "config/veltracdrip/VeltraCDRipper.ini"), "[OutPut]\nEncode=MP3\n");
    EXPECT_EQ(current.outputFolder, home / "Musik");
    plat::SetProgramFolderOverride("");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", realHome.c_str(), 1);
}
