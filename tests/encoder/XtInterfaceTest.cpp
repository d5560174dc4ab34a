// The xt interface: handle table, bad handles, unsafe input, the option table per type and
// what the options store.
#include "EncoderTest.h"

#include "encoder/LameStream.h"
#include "encoder/Mp3Stream.h"
#include "encoder/VorbisStream.h"
#include "support/TestSupport.h"

#include <cstring>

using enctest::XtTest;
using namespace veltraenc;

TEST_F(XtTest, HandlesRotateInsteadOfReusingTheLowestFreeSlot)
{
    EXPECT_EQ(xtGetEncoder(XT_ENCODER_WAV), 1);
    EXPECT_EQ(xtGetEncoder(XT_ENCODER_RAW), 2);
    EXPECT_EQ(xtClose(1), 1);
    EXPECT_EQ(xtGetEncoder(XT_ENCODER_WAV), 3);
}

TEST_F(XtTest, TableIsFullAt32AndAClosedSlotIsGivenOutAgain)
{
    for (int i = 1; i <= XT_MAX_STREAMS; ++i)
        ASSERT_EQ(xtGetEncoder(i % 2), i);
    EXPECT_EQ(xtGetEncoder(XT_ENCODER_WAV), 0);
    EXPECT_EQ(xtClose(17), 1);
    EXPECT_EQ(xtGetEncoder(XT_ENCODER_RAW), 17);
    EXPECT_EQ(xtGetEncoder(XT_ENCODER_RAW), 0);
    // The handle given out again names the new stream only.
    EXPECT_STREQ(xtGetExtension(17), "dat");
}

TEST_F(XtTest, TypeIsCheckedOnlyAfterTheSlotSearch)
{
    EXPECT_EQ(xtGetEncoder(8), 0);
    EXPECT_EQ(xtGetEncoder(XT_ENCODER_WAV), 2);
    EXPECT_EQ(xtGetEncoder(-1), 0);
    EXPECT_EQ(xtGetEncoder(XT_ENCODER_RAW), 4);
    EXPECT_EQ(xtGetExtension(3), nullptr); // the skipped slot stayed empty
}

TEST_F(XtTest, EveryExportRefusesHandle0_33AndAClosedHandle)
{
    const StreamHandle closed = xtGetEncoder(XT_ENCODER_WAV);
    ASSERT_EQ(xtClose(closed), 1);
    unsigned char pcm[8] = {};
    for (StreamHandle h : {0, 33, -1, closed}) {
        SCOPED_TRACE(h);
        char buffer[16] = "untouched";
        EXPECT_EQ(xtSetIntOption(h, NO_WRITE, 1), 0);
        EXPECT_EQ(xtSetAsciiOption(h, FILE_NAME, "x"), 0);
        EXPECT_EQ(xtCheckOutputFileExists(h), 0);
        EXPECT_EQ(xtOpenOutputFile(h), 0);
        EXPECT_EQ(xtGetOutputFileName(h, buffer, sizeof buffer), 0);
        EXPECT_STREQ(buffer, "untouched");
        EXPECT_EQ(xtGetExtension(h), nullptr);
        EXPECT_EQ(xtGetFilename(h), nullptr);
        EXPECT_EQ(xtInit(h), 0);
        EXPECT_EQ(xtEncode(h, pcm, sizeof pcm), 0);
        EXPECT_EQ(xtFlush(h), 0);
        EXPECT_EQ(xtClose(h), 0);
    }
}

TEST_F(XtTest, UnsafeArgumentsAreRefusedAndChangeNothing)
{
    testsupport::TempDir dir;
    const StreamHandle h = enctest::OpenStream(XT_ENCODER_RAW, dir.path(), "keep");
    EXPECT_EQ(xtSetAsciiOption(h, FILE_NAME, nullptr), 0);
    EXPECT_EQ(xtSetAsciiOption(h, OUTPUT_DIR, nullptr), 0);
    EXPECT_STREQ(xtGetFilename(h), "keep.dat");

    char buffer[8] = "abc";
    EXPECT_EQ(xtGetOutputFileName(h, nullptr, 261), 0);
    EXPECT_EQ(xtGetOutputFileName(h, buffer, 0), 0);
    EXPECT_EQ(xtGetOutputFileName(h, buffer, -5), 0);
    EXPECT_STREQ(buffer, "abc");

    ASSERT_EQ(xtOpenOutputFile(h), 1);
    const auto pcm = enctest::Pcm(16);
    EXPECT_EQ(xtEncode(h, nullptr, 16), 0);
    EXPECT_EQ(xtEncode(h, pcm.data(), -1), 0);
    EXPECT_EQ(xtEncode(h, pcm.data(), 16), 16);
    EXPECT_EQ(xtClose(h), 1);
    EXPECT_EQ(testsupport::FileSize(dir / "keep.dat"), 16);
}

TEST_F(XtTest, FilenameAndExtensionResultsHoldTheLongestParts)
{
    const StreamHandle h = xtGetEncoder(XT_ENCODER_LAME2);
    EXPECT_STREQ(xtGetExtension(h), "MP3");
    const std::string name(300, 'n');
    xtSetAsciiOption(h, FILE_NAME, name.c_str());
    xtSetAsciiOption(h, FILE_EXT, "mpeg");
    EXPECT_EQ(std::string(xtGetFilename(h)), std::string(260, 'n') + ".mpe");
    EXPECT_STREQ(xtGetExtension(h), "mpe");
}

// Which of the types 0-5 accept an option: one character per type, "1" accepted.
struct Acceptance {
    int option;
    const char* asInt;
    const char* asText;
};

TEST_F(XtTest, OptionTableAcceptsAndRefusesPerType)
{
    const Acceptance table[] = {
        {-1, "000000", "000000"}, {0, "000000", "111111"},  {1, "000000", "111111"},
        {2, "000000", "111111"},  {3, "000000", "111111"},  {4, "000001", "000000"},
        {5, "000001", "000000"},  {6, "000001", "000000"},  {7, "001111", "000000"},
        {8, "001111", "000000"},  {9, "000000", "001111"},  {10, "000000", "001111"},
        {11, "000000", "001111"}, {12, "000000", "001111"}, {13, "001111", "000000"},
        {14, "000100", "000000"}, {15, "001111", "000000"}, {16, "001111", "000000"},
        {17, "001111", "000000"}, {18, "001111", "000000"}, {19, "001111", "000000"},
        {20, "000100", "000000"}, {21, "000100", "000000"}, {22, "000100", "000000"},
        {23, "000100", "000000"}, {24, "000000", "000000"}, {25, "111111", "000000"},
        {26, "000001", "000000"}, {27, "001111", "000000"}, {28, "000000", "111111"},
        {29, "000100", "000000"}, {30, "000000", "000000"}, {1000, "000000", "000000"},
    };
    StreamHandle handles[6];
    for (int type = 0; type < 6; ++type)
        ASSERT_NE(handles[type] = xtGetEncoder(type), 0) << "missing back-ends still give a stream";
    for (const Acceptance& row : table) {
        for (int type = 0; type < 6; ++type) {
            SCOPED_TRACE(testing::Message() << "option " << row.option << ", type " << type);
            // Value 0 keeps the write switch on, so later rows still see the same streams.
            EXPECT_EQ(xtSetIntOption(handles[type], row.option, 0), row.asInt[type] - '0');
            EXPECT_EQ(xtSetAsciiOption(handles[type], row.option, ""), row.asText[type] - '0');
        }
    }
}

TEST(EncoderOptions, TagAndMp3SettingsKeepTheirDefaultsAndLowBits)
{
    testsupport::DebugCapture capture;
    Mp3Stream s("vencfake_missing.dll");
    EXPECT_EQ(s.Tag().genre, 17);
    EXPECT_EQ(s.Tag().level, 0);
    EXPECT_EQ(s.Tag().track, 0);
    EXPECT_EQ(s.SetIntOption(ID3_GENRE, 300), 1);
    EXPECT_EQ(s.SetIntOption(ID3_TRACK, 256), 1);
    EXPECT_EQ(s.SetIntOption(ID3_LEVEL, 2), 1);
    EXPECT_EQ(s.Tag().genre, 44);
    EXPECT_EQ(s.Tag().track, 0);
    EXPECT_EQ(s.Tag().level, 2);
    EXPECT_TRUE(capture.contains("Setting ID3_LEVEL to 2"));

    s.SetAsciiOption(ID3_TITLE, std::string(35, 't').c_str());
    EXPECT_EQ(std::string(s.Tag().title.data()), std::string(30, 't'));
    s.SetAsciiOption(ID3_YEAR, "19999");
    s.SetAsciiOption(ID3_YEAR, "99"); // a shorter year leaves no old digits behind
    EXPECT_EQ(std::memcmp(s.Tag().year.data(), "99\0\0\0", 5), 0);
    EXPECT_EQ(s.SetIntOption(LAME_MODE, 3), 0);
    EXPECT_EQ(s.Settings().mode, 0);
}

TEST(EncoderOptions, PlainMp3RecordHoldsTheSettingsAtTheirOffsets)
{
    Mp3Stream s("vencfake_missing.dll");
    auto bytesOf = [&] {
        const BEConfigMp3 c = s.MakeConfig();
        return std::vector<unsigned char>(reinterpret_cast<const unsigned char*>(&c),
                                          reinterpret_cast<const unsigned char*>(&c) + 331);
    };
    std::vector<unsigned char> expected(331, 0);
    expected[4] = 0x44, expected[5] = 0xAC; // 44100
    expected[9] = 128;
    EXPECT_EQ(bytesOf(), expected);

    for (auto [option, value] : {std::pair{MP3_BITRATE, 0x10000 + 320},
                                 {MP3_MODE, 0x103},
                                 {MP3_PRIVATE, 4},
                                 {MP3_CRC, 5},
                                 {MP3_COPYRIGHT, 6},
                                 {MP3_ORIGINAL, 7}})
        s.SetIntOption(option, value);
    const auto b = bytesOf();
    EXPECT_EQ(b[8], 3);
    EXPECT_EQ(enctest::Le16(b, 9), 320u);
    EXPECT_EQ(enctest::Le32(b, 11), 4u);
    EXPECT_EQ(enctest::Le32(b, 15), 5u);
    EXPECT_EQ(enctest::Le32(b, 19), 6u);
    EXPECT_EQ(enctest::Le32(b, 23), 7u);
}

TEST(EncoderOptions, LameRecordDefaultsAndOptionsThatShareAField)
{
    LameStream s;
    auto bytesOf = [&] {
        const BEConfigLame c = s.MakeConfig();
        return std::vector<unsigned char>(reinterpret_cast<const unsigned char*>(&c),
                                          reinterpret_cast<const unsigned char*>(&c) + 331);
    };
    auto b = bytesOf();
    const std::pair<size_t, unsigned> defaults[] = {{0, 256},  {4, 1},  {8, 331}, {12, 44100},
                                                    {24, 128}, {32, 2}, {36, 1},  {64, 1},
                                                    {68, 1},   {72, 5}};
    std::vector<unsigned char> rest = b;
    for (auto [at, value] : defaults) {
        EXPECT_EQ(enctest::Le32(b, at), value) << "offset " << at;
        std::fill_n(rest.begin() + at, 4, 0);
    }
    EXPECT_EQ(rest, std::vector<unsigned char>(331, 0)) << "every other byte is zero";

    EXPECT_EQ(s.SetIntOption(MP3_MAX_BITRATE, 0x10000 + 320), 1);
    EXPECT_EQ(s.SetIntOption(MP3_MODE, 1), 1);
    EXPECT_EQ(s.SetIntOption(LAME_MODE, 3), 1);
    EXPECT_EQ(s.SetIntOption(LAME_VBR, 0), 1);
    EXPECT_EQ(s.SetIntOption(LAME_VBR_QUALITY, 2), 1);
    b = bytesOf();
    EXPECT_EQ(enctest::Le32(b, 28), 320u);
    EXPECT_EQ(enctest::Le32(b, 32), 2u) << "the preset keeps its value";
    EXPECT_EQ(enctest::Le32(b, 20), 3u) << "the later of options 15 and 29 wins";
    EXPECT_EQ(enctest::Le32(b, 68), 0u);
    EXPECT_EQ(enctest::Le32(b, 72), 2u);
    s.SetIntOption(MP3_MODE, 1);
    EXPECT_EQ(enctest::Le32(bytesOf(), 20), 1u);
}

TEST(EncoderOptions, VorbisParametersAndAnAlwaysZeroTagLevel)
{
    testsupport::DebugCapture capture;
    VorbisStream s;
    EXPECT_EQ(s.Parameters().parameter4, -1);
    EXPECT_EQ(s.Parameters().parameter5, 128);
    EXPECT_EQ(s.Parameters().parameter6, -1);
    s.SetIntOption(VORBIS_PARAM_5, 160);
    EXPECT_EQ(s.Parameters().parameter5, 160);
    s.SetIntOption(VORBIS_PARAM_5_ALIAS, 192);
    EXPECT_EQ(s.Parameters().parameter5, 192);
    s.SetIntOption(VORBIS_PARAM_4, 3);
    s.SetIntOption(VORBIS_PARAM_6, 4);
    EXPECT_EQ(s.Parameters().parameter4, 3);
    EXPECT_EQ(s.Parameters().parameter6, 4);
    EXPECT_EQ(s.SetIntOption(ID3_LEVEL, 1), 1);
    EXPECT_EQ(s.Tag().level, 0);
    EXPECT_TRUE(capture.lines().empty());
}
