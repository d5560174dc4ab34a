#include "platform/Profile.h"
#include "platform/LastError.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace plat;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace
{
std::string Get(const std::string& file, const char* section, const char* key, const char* def = "",
                uint32_t size = 128)
{
    std::string buf(size, 'X');
    uint32_t n = GetPrivateProfileString(section, key, def, buf.data(), size, file.c_str());
    EXPECT_EQ(buf[n], '\0');
    return buf.substr(0, n);
}
} // namespace

TEST(Profile, MissingFileOrKeyReadsAsTheDefault)
{
    TempDir dir;
    EXPECT_EQ(Get(dir / "none.ini", "OutPut", "Path", "dflt"), "dflt");
    WriteFile(dir / "a.ini", "[Other]\nPath=x\n");
    EXPECT_EQ(Get(dir / "a.ini", "OutPut", "Path"), "");
}

TEST(Profile, FirstWriteCreatesTheFile)
{
    TempDir dir;
    ASSERT_TRUE(WritePrivateProfileString("OutPut", "Encode", "MP3", (dir / "s.ini").c_str()));
    EXPECT_EQ(ReadFile(dir / "s.ini"), "[OutPut]\nEncode=MP3\n");
}

TEST(Profile, SectionsAndKeysMatchWithoutCaseAndValuesAreTrimmed)
{
    TempDir dir;
    WriteFile(dir / "a.ini", "[output]\r\n  PATH =  /music/ripped  \r\n");
    EXPECT_EQ(Get(dir / "a.ini", "OutPut", "Path"), "/music/ripped");
    WriteFile(dir / "q.ini", "[OutPut]\nPath=\"/with quotes \"\n");
    EXPECT_EQ(Get(dir / "q.ini", "OutPut", "Path"), "/with quotes ");
}

TEST(Profile, ValueIsCutToTheBuffer)
{
    TempDir dir;
    WriteFile(dir / "a.ini", "[OutPut]\nPath=abcdefghij\n");
    EXPECT_EQ(Get(dir / "a.ini", "OutPut", "Path", "", 5), "abcd");
}

TEST(Profile, WriteKeepsEveryOtherLineAsItWas)
{
    TempDir dir;
    const std::string file = dir / "a.ini";
    WriteFile(
        file,
        "; my settings\r\n[OutPut]\r\nPath=/old\r\nEncode=WAV\r\n\r\n[Extra]\r\nkeep = me\r\n");
    ASSERT_TRUE(WritePrivateProfileString("output", "path", "/new", file.c_str()));
    EXPECT_EQ(
        ReadFile(file),
        "; my settings\r\n[OutPut]\r\npath=/new\r\nEncode=WAV\r\n\r\n[Extra]\r\nkeep = me\r\n");
    ASSERT_TRUE(WritePrivateProfileString("OutPut", "Added", "1", file.c_str()));
    EXPECT_EQ(ReadFile(file), "; my settings\r\n[OutPut]\r\npath=/new\r\nEncode=WAV\r\nAdded=1\r\n"
                              "\r\n[Extra]\r\nkeep = me\r\n");
    ASSERT_TRUE(WritePrivateProfileString("New", "k", "v", file.c_str()));
    EXPECT_EQ(Get(file, "new", "K"), "v");
    EXPECT_EQ(Get(file, "Extra", "keep"), "me");
}

TEST(Profile, NullValueDeletesTheKeyNullKeyTheSection)
{
    TempDir dir;
    const std::string file = dir / "a.ini";
    WriteFile(file, "[A]\nx=1\ny=2\n[B]\nz=3\n");
    ASSERT_TRUE(WritePrivateProfileString("A", "x", nullptr, file.c_str()));
    EXPECT_EQ(ReadFile(file), "[A]\ny=2\n[B]\nz=3\n");
    ASSERT_TRUE(WritePrivateProfileString("A", nullptr, nullptr, file.c_str()));
    EXPECT_EQ(ReadFile(file), "[B]\nz=3\n");
}

TEST(Profile, UnwritableFolderReportsFailure)
{
    EXPECT_FALSE(WritePrivateProfileString("A", "x", "1", "/nonexistent-folder/a.ini"));
}

TEST(Profile, AWriteGoesThroughALinkKeepsTheModeAndRefusesAReadOnlyFile)
{
    TempDir dir;
    const std::string target = dir / "real.ini", link = dir / "VeltraCDRipper.ini";
    WriteFile(target, "[OutPut]\nPath=/old\n");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(symlink("real.ini", link.c_str()), 0); // relative, as users make them
    ASSERT_TRUE(WritePrivateProfileString("OutPut", "Encode", "WAV", link.c_str()));
    struct stat info {
    };
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)); // still a link
    EXPECT_EQ(ReadFile(target), "[OutPut]\nPath=/old\nEncode=WAV\n");
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // No write bit for the owner: refused and untouched, also when root runs the test.
    ASSERT_EQ(chmod(target.c_str(), 0444), 0);
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileString("OutPut", "Encode", "MP3", link.c_str()));
    EXPECT_EQ(GetLastError(), kErrorAccessDenied);
    EXPECT_EQ(ReadFile(target), "[OutPut]\nPath=/old\nEncode=WAV\n");
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0444u);

    // A link to a file not made yet creates the target, not a plain file in the link's place.
    const std::string later = dir / "later.ini";
    ASSERT_EQ(symlink(later.c_str(), (dir / "dangling.ini").c_str()), 0);
    ASSERT_TRUE(WritePrivateProfileString("A", "k", "v", (dir / "dangling.ini").c_str()));
    EXPECT_EQ(ReadFile(later), "[A]\nk=v\n");
    EXPECT_EQ(lstat((dir / "dangling.ini").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}
