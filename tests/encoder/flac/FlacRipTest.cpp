// FLAC end to end: a generated disc ripped by the console ripper, tags and options through
// the xt calls, a cancelled stream and a full disk; the files are checked with flac/metaflac.
#include "discimage/DiscImage.h"
#include "encoder/HandleTable.h"
#include "include/Veltraenc.h"
#include "platform/ModulePath.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace ts = testsupport;

namespace
{

std::string Tags(const std::string& flac)
{
    return ts::Run({"/usr/bin/metaflac", "--export-tags-to=-", flac}).out;
}

std::string Md5Of(const std::string& path)
{
    const std::string out = ts::Run({"/usr/bin/md5sum", path}).out;
    return out.substr(0, out.find(' '));
}

// The PCM of a FLAC file (raw 16-bit little-endian), after flac -t has passed it.
std::vector<unsigned char> TestAndDecode(const std::string& flac)
{
    auto test = ts::Run({"/usr/bin/flac", "-t", "-s", flac});
    EXPECT_EQ(test.exitCode, 0) << test.err;
    auto decode = ts::Run({"/usr/bin/flac", "-d", "-s", "-f", "--force-raw-format",
                           "--endian=little", "--sign=signed", "-o", flac + ".raw", flac});
    EXPECT_EQ(decode.exitCode, 0) << decode.err;
    return ts::ReadBytes(flac + ".raw");
}

// An xt stream of FLAC into folder/name.flac, found through the program folder.
class FlacXt : public ::testing::Test
{
protected:
    void SetUp() override
    {
        veltraenc::HandleTable::Instance().ResetForTests();
        plat::SetProgramFolderOverride(ts::BinDir()); // where libflac_enc.so is
    }
    void TearDown() override
    {
        plat::SetProgramFolderOverride("");
        veltraenc::HandleTable::Instance().ResetForTests();
    }
    StreamHandle Open(const std::string& name)
    {
        const StreamHandle h = xtGetEncoder(XT_ENCODER_FLAC);
        xtSetAsciiOption(h, OUTPUT_DIR, out.path().c_str());
        xtSetAsciiOption(h, FILE_NAME, name.c_str());
        return h;
    }
    // Tone samples in pieces that split chunks and sample pairs; returns the bytes fed.
    static std::vector<int16_t> Feed(StreamHandle h, size_t pairs)
    {
        std::vector<int16_t> pcm(2 * pairs);
        for (size_t i = 0; i < pcm.size(); ++i)
            pcm[i] = static_cast<int16_t>(9000 * std::sin(double(i / 2) * 0.0627) + (i % 2) * 77);
        const auto* bytes = reinterpret_cast<const unsigned char*>(pcm.data());
        const int total = static_cast<int>(pcm.size() * 2);
        for (int at = 0; at < total; at += 999)
            xtEncode(h, bytes + at, std::min(999, total - at));
        return pcm;
    }

    ts::TempDir out;
};

} // namespace

TEST(FlacRip, EveryTrackDecodesToTheImagesAudioWithItsMd5TagsAndSeekTable)
{
    ts::ProgramFolder folder;
    ts::TempDir dir, out;
    discimage::DiscLayout layout;
    layout.audioLengths = {1, 27, 28, 55, 800}; // 800 frames: more than 10 seconds
    const auto image = discimage::WriteDiscImage(layout, dir / "disc");
    auto run = ts::Run({folder.program("veltracdrip-cli"), "--image", image.descriptorPath, "--out",
                        out.path(), "--format", "flac"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("as FLAC"), std::string::npos) << run.out;

    const auto bin = ts::ReadBytes(image.binPath);
    for (size_t i = 0; i < layout.audioLengths.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        const std::string flac = out / ("Track 0" + number + ".flac");
        SCOPED_TRACE(flac);
        const auto pcm = TestAndDecode(flac);
        const auto start = bin.begin() + long{image.trackStarts[i]} * 2352;
        ASSERT_EQ(pcm.size(), size_t{layout.audioLengths[i]} * 2352);
        EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), start));
        EXPECT_EQ(ts::Run({"/usr/bin/metaflac", "--show-md5sum", flac}).out,
                  Md5Of(flac + ".raw") + "\n");
        EXPECT_EQ(Tags(flac), "TITLE=Track 0" + number + "\nTRACKNUMBER=" + number + "\n");
    }
    const auto seek =
        ts::Run({"/usr/bin/metaflac", "--list", "--block-type=SEEKTABLE", out / "Track 05.flac"});
    EXPECT_NE(seek.out.find("seek points: 2"), std::string::npos) << seek.out;
}

TEST_F(FlacXt, TagsBecomeUtf8CommentsNeverAnId3TagAndTheOptionsHaveTheirRanges)
{
    const StreamHandle h = Open("tags");
    ASSERT_NE(h, 0);
    EXPECT_STREQ(xtGetFilename(h), "tags.flac");
    EXPECT_EQ(xtSetAsciiOption(h, FILE_EXT, "flacs"), 1);
    EXPECT_STREQ(xtGetExtension(h), "flac") << "cut to four characters";
    EXPECT_EQ(xtSetIntOption(h, FLAC_LEVEL, 9), 0);
    EXPECT_EQ(xtSetIntOption(h, FLAC_LEVEL, -1), 0);
    EXPECT_EQ(xtSetIntOption(h, FLAC_LEVEL, 0), 1);
    EXPECT_EQ(xtSetIntOption(h, OPUS_VBR, 1), 0);
    EXPECT_EQ(xtSetIntOption(h, VORBIS_PARAM_5, 1), 0);
    EXPECT_EQ(xtSetIntOption(h, ID3_LEVEL, 1), 1);
    EXPECT_EQ(xtSetIntOption(h, ID3_TRACK, 7), 1);
    xtSetAsciiOption(h, ID3_TITLE, "Caf\xE9 \x80");
    xtSetAsciiOption(h, ID3_ARTIST, "Beyonc\xE9");
    xtSetAsciiOption(h, ID3_ALBUM, "Album");
    xtSetAsciiOption(h, ID3_YEAR, "2024");
    ASSERT_EQ(xtOpenOutputFile(h), 1);
    ASSERT_EQ(xtInit(h), 1);
    const auto pcm = Feed(h, 44103);
    EXPECT_GT(xtFlush(h), 0);
    EXPECT_EQ(xtClose(h), 1);

    const std::string flac = out / "tags.flac";
    EXPECT_EQ(Tags(flac), "TITLE=Caf\xC3\xA9 \xE2\x82\xAC\nARTIST=Beyonc\xC3\xA9\nALBUM=Album\n"
                          "DATE=2024\nTRACKNUMBER=7\n");
    const auto decoded = TestAndDecode(flac);
    ASSERT_EQ(decoded.size(), pcm.size() * 2);
    EXPECT_EQ(std::memcmp(decoded.data(), pcm.data(), decoded.size()), 0);
    const auto file = ts::ReadBytes(flac);
    EXPECT_NE(std::string(file.end() - 128, file.end() - 125), "TAG");
}

TEST_F(FlacXt, ACancelledStreamIsAShorterCompleteFileAndAFullDiskIsReported)
{
    // The encoder thread flushes and closes what it has when a rip is cancelled.
    const StreamHandle h = Open("cut");
    ASSERT_EQ(xtOpenOutputFile(h), 1);
    ASSERT_EQ(xtInit(h), 1);
    const auto pcm = Feed(h, 30000);
    xtFlush(h);
    EXPECT_EQ(xtClose(h), 1);
    EXPECT_EQ(TestAndDecode(out / "cut.flac").size(), pcm.size() * 2);
    EXPECT_EQ(ts::Run({"/usr/bin/metaflac", "--show-total-samples", out / "cut.flac"}).out,
              "30000\n");

    // The level reaches libFLAC: level 0 codes the same audio larger than the default 5.
    const StreamHandle fast = Open("fast");
    ASSERT_EQ(xtSetIntOption(fast, FLAC_LEVEL, 0), 1);
    ASSERT_EQ(xtOpenOutputFile(fast), 1);
    ASSERT_EQ(xtInit(fast), 1);
    Feed(fast, 30000);
    xtFlush(fast);
    EXPECT_EQ(xtClose(fast), 1);
    EXPECT_GT(ts::FileSize(out / "fast.flac"), ts::FileSize(out / "cut.flac"));

    if (!ts::FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    std::filesystem::create_symlink("/dev/full", out / "full.flac");
    const StreamHandle f = Open("full");
    ASSERT_EQ(xtOpenOutputFile(f), 1);
    ASSERT_EQ(xtInit(f), 1);
    Feed(f, 30000);
    xtFlush(f);
    EXPECT_EQ(xtClose(f), 0);
}

TEST(FlacClient, ACProgramLinkedOnlyToTheLibraryWritesAFlacFile)
{
    ts::TempDir out;
    auto r = ts::Run({ts::BinDir() + "/../tests/xt_c_client", "flac", out.path(), "100"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string flac = out / "Track 03.flac";
    EXPECT_EQ(r.out, flac + "\n");
    EXPECT_EQ(TestAndDecode(flac).size(), 100u * 2352);
    EXPECT_EQ(Tags(flac), "TITLE=Caf\xC3\xA9 \xE2\x82\xAC\nARTIST=C Client\nTRACKNUMBER=3\n");
}
