// The ID3v1.1 tag at close: its bytes, the rule that title, artist and album must all be known,
// the level, the write switch, write failures, and for LameStream its place after the VBR header.
#include "Mp3TestSupport.h"

#include "support/TestSupport.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>

using namespace mp3test;
using testsupport::ReadBytes;
using testsupport::TempDir;
using veltraenc::EncoderStream;
using veltraenc::LameStream;
using veltraenc::Mp3Stream;

namespace
{

struct Texts {
    std::string title = "Title";
    std::string artist = "Artist";
    std::string album = "Album";
    std::string year = "1999";
    int level = 1;
    int track = 3;
    int genre = 17;
};

void SetTexts(EncoderStream& s, const Texts& t)
{
    s.SetAsciiOption(ID3_TITLE, t.title.c_str());
    s.SetAsciiOption(ID3_ARTIST, t.artist.c_str());
    s.SetAsciiOption(ID3_ALBUM, t.album.c_str());
    s.SetAsciiOption(ID3_YEAR, t.year.c_str());
    s.SetIntOption(ID3_LEVEL, t.level);
    s.SetIntOption(ID3_TRACK, t.track);
    s.SetIntOption(ID3_GENRE, t.genre);
}

// Opens, starts, feeds one chunk and a bit, flushes and closes: 150 audio bytes plus 50.
int Rip(EncoderStream& s, const std::string& folder, const std::string& name)
{
    const RecPlan plan = Plan();
    recReset(&plan);
    Name(s, folder, name);
    EXPECT_EQ(s.OpenOutputFile(), 1);
    EXPECT_EQ(s.Init(), 1);
    const auto pcm = Pcm(5000);
    s.Encode(pcm.data(), 5000);
    s.Flush();
    return s.Close();
}

constexpr size_t kAudio = 100 + 100 + 50; // one whole chunk, the short last one, the final bytes

std::vector<unsigned char> TagOf(const std::vector<unsigned char>& file)
{
    if (file.size() < 128) return {};
    return std::vector<unsigned char>(file.end() - 128, file.end());
}

} // namespace

TEST(Id3Tag, FollowsTheAudioByteForByte)
{
    TempDir dir;
    Mp3Stream s(kRecorder);
    SetTexts(s, Texts{});
    ASSERT_EQ(Rip(s, dir.path(), "t"), 1);
    const auto file = ReadBytes(dir / "t.MP3");
    ASSERT_EQ(file.size(), kAudio + 128);
    EXPECT_EQ(std::vector<unsigned char>(file.begin(), file.begin() + kAudio), Produced(kAudio));

    std::vector<unsigned char> expected(128, 0);
    auto put = [&](size_t at, const char* text) { std::memcpy(&expected[at], text, strlen(text)); };
    put(0, "TAG");
    put(3, "Title");
    put(33, "Artist");
    put(63, "Album");
    put(93, "1999");
    expected[126] = 3;
    expected[127] = 17;
    EXPECT_EQ(TagOf(file), expected);
}

TEST(Id3Tag, CutsFieldsAndKeepsLowBits)
{
    TempDir dir;
    Texts t;
    t.title = std::string(30, 'T') + "12345"; // 35 characters
    t.artist = std::string(30, 'A');
    t.year = "99";
    t.genre = 300;
    t.track = 256;
    Mp3Stream s(kRecorder);
    SetTexts(s, t);
    ASSERT_EQ(Rip(s, dir.path(), "t"), 1);
    const auto tag = TagOf(ReadBytes(dir / "t.MP3"));
    ASSERT_EQ(tag.size(), 128u);
    EXPECT_EQ(std::string(tag.begin() + 3, tag.begin() + 33), std::string(30, 'T'))
        << "30 characters fill the field with no terminating zero";
    EXPECT_EQ(std::string(tag.begin() + 33, tag.begin() + 63), std::string(30, 'A'));
    EXPECT_EQ(tag[93], '9');
    EXPECT_EQ(tag[94], '9');
    EXPECT_EQ(tag[95], 0);
    EXPECT_EQ(tag[96], 0);
    EXPECT_EQ(tag[126], 0) << "track 256 keeps its low 8 bits";
    EXPECT_EQ(tag[127], 44) << "genre 300 keeps its low 8 bits";
}

TEST(Id3Tag, NoTagWithoutAllThreeTextsOrAPositiveLevel)
{
    TempDir dir;
    std::vector<Texts> cases(6);
    cases[0].album = "";
    cases[1].artist = "";
    cases[2].title = "";
    cases[3].level = 0;
    cases[4].level = -1;
    cases[5].level = INT_MIN;
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        Mp3Stream s(kRecorder);
        SetTexts(s, cases[i]);
        EXPECT_EQ(Rip(s, dir.path(), std::to_string(i)), 1);
        EXPECT_EQ(ReadBytes(dir / (std::to_string(i) + ".MP3")), Produced(kAudio))
            << "the file ends with the last audio byte";
    }

    // The year, genre and track may be anything.
    Texts bare;
    bare.year = "";
    bare.track = 0;
    Mp3Stream s(kRecorder);
    SetTexts(s, bare);
    ASSERT_EQ(Rip(s, dir.path(), "bare"), 1);
    EXPECT_EQ(ReadBytes(dir / "bare.MP3").size(), kAudio + 128);
}

TEST(Id3Tag, TheWriterRefusesAClosedFileOrSwitchedOffWriting)
{
    TempDir dir;
    Mp3Stream s(kRecorder);
    SetTexts(s, Texts{});
    EXPECT_EQ(s.WriteId3Tag(), 0) << "no file open";
    Name(s, dir.path(), "t");
    ASSERT_EQ(s.OpenOutputFile(), 1);
    EXPECT_EQ(s.WriteId3Tag(), 1);
    s.SetIntOption(NO_WRITE, 1);
    EXPECT_EQ(s.WriteId3Tag(), 0);
    EXPECT_EQ(s.Close(), 1);
    EXPECT_EQ(ReadBytes(dir / "t.MP3").size(), 128u);
}

TEST(Id3Tag, ATagThatCannotBeWrittenMakesCloseFail)
{
    if (!testsupport::FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    TempDir dir;
    // The back-end produces nothing, so the tag is the only write that can fail.
    const RecPlan silent = Plan(2304, 0, 0);
    for (bool tagged : {false, true}) {
        SCOPED_TRACE(tagged);
        std::filesystem::remove(dir / "full.MP3");
        std::filesystem::create_symlink("/dev/full", dir / "full.MP3");
        Mp3Stream s(kRecorder);
        Texts t;
        t.level = tagged ? 1 : 0;
        SetTexts(s, t);
        recReset(&silent);
        Name(s, dir.path(), "full");
        ASSERT_EQ(s.OpenOutputFile(), 1);
        ASSERT_EQ(s.Init(), 1);
        s.Flush();
        EXPECT_EQ(s.Close(), tagged ? 0 : 1);
    }
}

TEST(LameTag, TheTagFollowsTheVbrHeaderWrittenIntoTheClosedFile)
{
    TempDir dir;
    testsupport::DebugCapture capture;
    LameStream s(kRecorder);
    SetTexts(s, Texts{});
    ASSERT_EQ(Rip(s, dir.path(), "t"), 1);
    const std::string path = dir / "t.MP3";
    EXPECT_TRUE(capture.contains("Writing VBR header to \"" + path + "\""));
    const auto kinds = Kinds();
    ASSERT_EQ(kinds.size(), 6u);
    EXPECT_EQ(kinds[3], REC_DEINIT);
    EXPECT_EQ(kinds[4], REC_VBR_HEADER);
    EXPECT_EQ(kinds[5], REC_CLOSE) << "the back-end stream is released after the header";
    const RecCall vbr = *recCall(4);
    EXPECT_STREQ(vbr.path, path.c_str());
    EXPECT_EQ(vbr.fileSize, static_cast<long>(kAudio)) << "closed, and the tag not yet there";

    const auto file = ReadBytes(path);
    ASSERT_EQ(file.size(), kAudio + 128);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "VBRH");
    const auto audio = Produced(kAudio);
    EXPECT_TRUE(std::equal(file.begin() + 4, file.begin() + kAudio, audio.begin() + 4));
    EXPECT_EQ(std::string(file.end() - 128, file.end() - 125), "TAG");

    // Without a tag the file ends with the audio; the header is still written.
    LameStream u(kRecorder);
    ASSERT_EQ(Rip(u, dir.path(), "u"), 1);
    EXPECT_EQ(ReadBytes(dir / "u.MP3").size(), kAudio);
    EXPECT_EQ(Kinds()[4], REC_VBR_HEADER);
}

TEST(LameTag, NoWriteMeansNeitherHeaderNorTagButTheStreamIsReleased)
{
    TempDir dir;
    LameStream s(kRecorder);
    SetTexts(s, Texts{});
    s.SetIntOption(NO_WRITE, 1);
    EXPECT_EQ(Rip(s, dir.path(), "t"), 1);
    EXPECT_EQ(Kinds(), (std::vector<int>{REC_INIT, REC_ENCODE, REC_ENCODE, REC_DEINIT, REC_CLOSE}));
    EXPECT_FALSE(testsupport::FileExists(dir / "t.MP3"));
}

TEST(LameTag, AFileThisStreamDidNotWriteIsLeftAlone)
{
    // The user kept an existing file: the stream closes without having opened it.
    TempDir dir;
    testsupport::WriteFile(dir / "kept.MP3", "an earlier rip");
    LameStream s(kRecorder);
    SetTexts(s, Texts{});
    const RecPlan plan = Plan();
    recReset(&plan);
    Name(s, dir.path(), "kept");
    EXPECT_EQ(s.Close(), 1);
    EXPECT_EQ(testsupport::ReadFile(dir / "kept.MP3"), "an earlier rip");
    EXPECT_TRUE(Kinds().empty());

    // Closed before it was flushed: the back-end holds no VBR header of this stream.
    LameStream t(kRecorder);
    recReset(&plan);
    Name(t, dir.path(), "unflushed");
    ASSERT_EQ(t.OpenOutputFile(), 1);
    ASSERT_EQ(t.Init(), 1);
    EXPECT_EQ(t.Close(), 1);
    EXPECT_EQ(Kinds(), (std::vector<int>{REC_INIT, REC_CLOSE}));
}
