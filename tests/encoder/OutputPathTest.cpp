// Output names and folders: stored parts, composition and its bounds, folder creation level by
// level, the existence check and the write switch.
#include "EncoderTest.h"

#include "support/TestSupport.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using enctest::XtTest;
using testsupport::DebugCapture;
using testsupport::TempDir;

namespace
{

std::string OutputFileName(StreamHandle h, int size = 261)
{
    std::vector<char> buffer(static_cast<size_t>(size), '#');
    return xtGetOutputFileName(h, buffer.data(), size) ? std::string(buffer.data()) : "<no fit>";
}

bool IsFolder(const std::string& path)
{
    struct stat st {
    };
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

TEST_F(XtTest, PartsAreStoredCleanedAndJoinedWithTheSeparator)
{
    const StreamHandle h = xtGetEncoder(XT_ENCODER_LAME1);
    xtSetAsciiOption(h, OUTPUT_DIR, "/music/");
    xtSetAsciiOption(h, FILE_NAME, "Rock/Pop: Live?");
    EXPECT_EQ(OutputFileName(h), "/music/Rock_Pop_ Live_.MP3");

    const std::pair<const char*, const char*> subFolders[] = {
        {"Artist/Album", "/music/Artist/Album/"},
        {"Artist\\Album", "/music/Artist_Album/"},
        {"A:b*c?d\"e<f>g|h/", "/music/A_b_c_d_e_f_g_h/"},
        {"", "/music/"}};
    for (auto [given, folder] : subFolders) {
        xtSetAsciiOption(h, FILE_DIR, given);
        EXPECT_EQ(OutputFileName(h), folder + std::string("Rock_Pop_ Live_.MP3")) << given;
    }
    // Only the nine characters are replaced: control characters and high bytes stay.
    xtSetAsciiOption(h, FILE_NAME, "a\\b|c\t\xE9\x7F");
    EXPECT_STREQ(xtGetFilename(h), "a_b_c\t\xE9\x7F.MP3");

    xtSetAsciiOption(h, OUTPUT_DIR, "/"); // the root, as "C:\" on Windows
    xtSetAsciiOption(h, FILE_EXT, "mpeg");
    EXPECT_EQ(OutputFileName(h), "/a_b_c\t\xE9\x7F.mpe");
    xtSetAsciiOption(h, OUTPUT_DIR, "/a//"); // one separator only is dropped
    EXPECT_EQ(OutputFileName(h), "/a//a_b_c\t\xE9\x7F.mpe");
}

TEST_F(XtTest, SubFolderIsCutTo259CharactersBeforeTheSeparatorIsAdded)
{
    DebugCapture capture;
    const StreamHandle h = xtGetEncoder(XT_ENCODER_RAW);
    xtSetAsciiOption(h, FILE_DIR, (std::string(259, 'd') + "xyz").c_str());
    EXPECT_TRUE(capture.contains("set _filedir to \"" + std::string(259, 'd') + "/\""));
    xtSetAsciiOption(h, FILE_DIR, "a:b");
    EXPECT_TRUE(capture.contains("set _filedir to \"a:b/\"")) << "logged before cleaning";
    EXPECT_EQ(OutputFileName(h), "/a_b/.dat");
}

TEST_F(XtTest, FullPathFitsWith257CharactersOfPartsAndNotWith258)
{
    TempDir dir;
    const std::string folder = dir.path();
    for (size_t total : {257u, 258u}) {
        SCOPED_TRACE(total);
        const std::string name(total - folder.size() - 3, 'n');
        testsupport::WriteFile(folder + "/" + name + ".wav", "x");
        const StreamHandle h = enctest::OpenStream(XT_ENCODER_WAV, folder, name);
        const bool fits = total == 257;
        EXPECT_EQ(OutputFileName(h), fits ? folder + "/" + name + ".wav" : "<no fit>");
        EXPECT_EQ(xtCheckOutputFileExists(h), fits ? 1 : 0);
        EXPECT_EQ(xtOpenOutputFile(h), fits ? 1 : 0);
        xtClose(h);
    }
    // The caller's buffer bounds the result the same way: the parts plus 3 must be less.
    const StreamHandle h = enctest::OpenStream(XT_ENCODER_WAV, "/m", "n");
    EXPECT_EQ(OutputFileName(h, 10), "/m/n.wav");
    EXPECT_EQ(OutputFileName(h, 9), "<no fit>");
}

TEST_F(XtTest, FoldersAreCreatedLevelByLevelWhenTheFolderPathFits)
{
    TempDir dir;
    DebugCapture capture;
    const StreamHandle h = enctest::OpenStream(XT_ENCODER_RAW, dir / "Music", "Track 01");
    xtSetAsciiOption(h, FILE_DIR, "Artist\\x/Album");
    ASSERT_EQ(xtOpenOutputFile(h), 1);
    EXPECT_EQ(xtClose(h), 1);
    const std::string folder = dir / "Music/Artist_x/Album/";
    EXPECT_TRUE(testsupport::FileExists(folder + "Track 01.dat"));
    const std::vector<std::string> expected = {"set _filedir to \"Artist\\x/Album/\"",
                                               "evaluating " + dir.path().substr(1) +
                                                   "/Music/Artist_x/Album/",
                                               "Creating dir: " + dir / "Music/",
                                               "Creating dir: " + dir / "Music/Artist_x/",
                                               "Creating dir: " + folder,
                                               "szFname: \"" + folder + "Track 01.dat\""};
    EXPECT_EQ(capture.lines(), expected);

    // A sub-folder that makes the folder path exactly fill 261 bytes is created, though the
    // full path no longer fits; one more character and nothing is created.
    const std::string base = dir / "b";
    const size_t longest = 261 - 2 - base.size();
    for (size_t length : {longest + 1, longest}) {
        const size_t first = length / 2;
        const std::string sub =
            std::string(first, 'p') + "/" + std::string(length - first - 2, 'q') + "/";
        const StreamHandle s = enctest::OpenStream(XT_ENCODER_RAW, base, "n");
        xtSetAsciiOption(s, FILE_DIR, sub.c_str());
        EXPECT_EQ(xtOpenOutputFile(s), 0);
        EXPECT_EQ(IsFolder(base + "/" + sub), length == longest) << length;
        xtClose(s);
    }
}

TEST_F(XtTest, RelativeFoldersAreMadeBelowTheCurrentFolder)
{
    TempDir dir;
    const std::string before = std::filesystem::current_path();
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    const StreamHandle h = enctest::OpenStream(XT_ENCODER_RAW, "out//one", "n");
    const int opened = xtOpenOutputFile(h);
    const std::string during = std::filesystem::current_path();
    ASSERT_EQ(chdir(before.c_str()), 0);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(during, dir.path()) << "the folder tests leave the current folder alone";
    EXPECT_EQ(xtClose(h), 1);
    EXPECT_TRUE(testsupport::FileExists(dir / "out/one/n.dat"));
}

TEST_F(XtTest, ExistenceCheckAsksForAReadableFileWhateverTheWriteSwitch)
{
    TempDir dir;
    const StreamHandle h = enctest::OpenStream(XT_ENCODER_WAV, dir.path(), "song");
    EXPECT_EQ(xtCheckOutputFileExists(h), 0);
    testsupport::WriteFile(dir / "song.wav", "x");
    EXPECT_EQ(xtCheckOutputFileExists(h), 1);
    xtSetIntOption(h, NO_WRITE, 1);
    EXPECT_EQ(xtCheckOutputFileExists(h), 1);
    // A folder of that name is no file (Windows cannot open folders as files either).
    xtSetAsciiOption(h, FILE_NAME, "folder");
    std::filesystem::create_directory(dir / "folder.wav");
    EXPECT_EQ(xtCheckOutputFileExists(h), 0);
}

TEST_F(XtTest, WriteSwitchOffWritesNoFile)
{
    TempDir dir;
    const auto pcm = enctest::Pcm(2352);
    // The raw stream still creates the folders; the WAV stream returns before them.
    for (int type : {XT_ENCODER_RAW, XT_ENCODER_WAV}) {
        SCOPED_TRACE(type);
        const std::string folder = dir / ("sub" + std::to_string(type));
        const StreamHandle h = enctest::OpenStream(type, folder, "n");
        EXPECT_EQ(xtSetIntOption(h, NO_WRITE, 1), 1);
        EXPECT_EQ(xtOpenOutputFile(h), 1);
        EXPECT_EQ(xtEncode(h, pcm.data(), 2352), 0);
        EXPECT_EQ(xtClose(h), 1);
        EXPECT_EQ(IsFolder(folder), type == XT_ENCODER_RAW);
        EXPECT_FALSE(testsupport::FileExists(folder + "/n.dat"));
        EXPECT_FALSE(testsupport::FileExists(folder + "/n.wav"));
    }
    const StreamHandle h = enctest::OpenStream(XT_ENCODER_RAW, dir.path(), "again");
    xtSetIntOption(h, NO_WRITE, 5);
    xtSetIntOption(h, NO_WRITE, 0);
    ASSERT_EQ(xtOpenOutputFile(h), 1);
    EXPECT_EQ(xtEncode(h, pcm.data(), 2352), 2352);
    EXPECT_EQ(xtClose(h), 1);
    EXPECT_EQ(testsupport::FileSize(dir / "again.dat"), 2352);
}
