// VorbisStream on the recording back-end: the record as the back-end receives it, the options,
// and chunks of half the reported sample count in bytes.
#include "StderrCapture.h"
#include "VorbisRecorder.h"

#include "encoder/VorbisStream.h"
#include "include/Veltraenc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

using veltraenc::VorbisStream;
static_assert(sizeof(void*) == 8, "the record layout checked here is the 64-bit one");

namespace
{

constexpr const char* kRecorder = "vencvorbrec.dll";

int32_t At(size_t offset)
{
    int32_t value;
    std::memcpy(&value, vrecState()->record + offset, sizeof value);
    return value;
}

std::vector<unsigned char> Pcm(size_t count)
{
    return std::vector<unsigned char>(count, 0x11);
}

} // namespace

TEST(VorbisStream, TheRecordCarriesTheParametersAndTheTextsAsUtf8)
{
    vrecReset(4096);
    VorbisStream s(kRecorder);
    ASSERT_TRUE(s.HasBackEnd());
    s.SetAsciiOption(ID3_TITLE, "Caf\xE9 \x80");
    s.SetAsciiOption(ID3_ARTIST, "Artist");
    s.SetAsciiOption(ID3_YEAR, "1999"); // the album stays empty
    s.SetIntOption(VORBIS_PARAM_4, 96);
    s.SetIntOption(VORBIS_PARAM_6, 256);
    vorbistest::StderrCapture err;
    EXPECT_EQ(s.Init(), 1);
    EXPECT_EQ(err.Text(), "Unicode translation error 87\n") << "for the empty album only";

    const VRecState* rec = vrecState();
    ASSERT_EQ(rec->initCalls, 1);
    EXPECT_EQ(std::string(rec->text[VREC_TITLE]), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(std::string(rec->text[VREC_ARTIST]), "Artist");
    EXPECT_EQ(std::string(rec->text[VREC_YEAR]), "1999");
    EXPECT_FALSE(rec->hasText[VREC_ALBUM]);

    // The 64-bit layout: pointers at 16 (title), 32 (album), 40 (artist) and 72 (year), the
    // parameters 6, 4 and 5 at 104, 108 and 112; every other byte zero.
    const std::map<size_t, int32_t> values = {{0, 512},   {4, 2},    {8, 2},    {12, 44100},
                                              {104, 256}, {108, 96}, {112, 128}};
    std::vector<uint8_t> rest(rec->record, rec->record + BE_CONFIG_SIZE);
    for (auto [offset, value] : values) {
        EXPECT_EQ(At(offset), value) << offset;
        std::memset(rest.data() + offset, 0, 4);
    }
    for (size_t pointer : {16, 40, 72}) {
        uint64_t address;
        std::memcpy(&address, rec->record + pointer, 8);
        EXPECT_NE(address, 0u) << pointer;
        std::memset(rest.data() + pointer, 0, 8);
    }
    EXPECT_EQ(rest, std::vector<uint8_t>(BE_CONFIG_SIZE, 0));
}

TEST(VorbisStream, OptionsFiveAndTwentySixSetTheNominalBitrateOthersOfMp3AreRefused)
{
    for (int option : {VORBIS_PARAM_5, VORBIS_PARAM_5_ALIAS}) {
        vrecReset(4096);
        VorbisStream s(kRecorder);
        EXPECT_EQ(s.SetIntOption(option, 192), 1);
        vorbistest::StderrCapture quiet;
        s.Init();
        EXPECT_EQ(At(112), 192) << option;
        EXPECT_EQ(At(104), -1) << option;
        EXPECT_EQ(At(108), -1) << option;
    }
    VorbisStream s(kRecorder);
    for (int option : std::initializer_list<int>{MP3_MAX_BITRATE, LAME_PRESET, LAME_MPEG_VERSION,
                                                 LAME_VBR, LAME_VBR_QUALITY, LAME_MODE, 24, 30, -1})
        EXPECT_EQ(s.SetIntOption(option, 1), 0) << option;
    for (int option :
         std::initializer_list<int>{ID3_GENRE, MP3_BITRATE, MP3_MODE, MP3_ORIGINAL, MP3_CRC,
                                    MP3_COPYRIGHT, MP3_PRIVATE, ID3_TRACK, NO_WRITE})
        EXPECT_EQ(s.SetIntOption(option, 0), 1) << option;
    EXPECT_EQ(s.SetIntOption(ID3_LEVEL, 5), 1);
    EXPECT_EQ(s.Tag().level, 0);
}

TEST(VorbisStream, ChunksAreHalfTheReportedSampleCountInBytes)
{
    vrecReset(4096);
    VorbisStream s(kRecorder);
    vorbistest::StderrCapture quiet;
    ASSERT_EQ(s.Init(), 1);
    EXPECT_EQ(s.ChunkSize(), 2048u);
    const auto pcm = Pcm(5000);
    EXPECT_EQ(s.Encode(pcm.data(), 5000), 20);
    EXPECT_EQ(s.StagedBytes(), 904u);
    EXPECT_EQ(s.Flush(), 10 + 3);
    EXPECT_EQ(s.Close(), 1);
    const VRecState* rec = vrecState();
    ASSERT_EQ(rec->encodeCalls, 3);
    EXPECT_EQ(rec->sampleCounts[0], 1024u);
    EXPECT_EQ(rec->sampleCounts[1], 1024u);
    EXPECT_EQ(rec->sampleCounts[2], 452u) << "the short last chunk";
    EXPECT_EQ(rec->deinitCalls, 1);
    EXPECT_EQ(rec->closeCalls, 1);
}

TEST(VorbisStream, ChunksHoldWholeSamplePairsOrTheStartIsUndone)
{
    vrecReset(4098); // halved: 2049 bytes, half a sample too many
    VorbisStream odd(kRecorder);
    vorbistest::StderrCapture quiet;
    ASSERT_EQ(odd.Init(), 1);
    EXPECT_EQ(odd.ChunkSize(), 2048u);

    vrecReset(6); // halved: 3 bytes, not one sample pair
    VorbisStream tiny(kRecorder);
    EXPECT_EQ(tiny.Init(), 0);
    EXPECT_FALSE(tiny.IsStarted());
    EXPECT_EQ(vrecState()->closeCalls, 1) << "the back-end stream is released";
    const auto pcm = Pcm(64);
    EXPECT_EQ(tiny.Encode(pcm.data(), 64), 0);
    EXPECT_EQ(tiny.Flush(), 0);
    EXPECT_EQ(vrecState()->encodeCalls, 0);
}
