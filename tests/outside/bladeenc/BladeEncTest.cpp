// libbladeenc.so through its exported entry points: the plain record's fields in every frame,
// whole frames with the last one padded, refused records, the stream table and its exports.
#include "encoder/mp3/BackEndStream.h"
#include "encoder/mp3/Mp3Frames.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <set>

using namespace mp3test;

TEST(BladeEnc, VersionReportsInterface10AndTheLibshineItWasBuiltWith)
{
    BEVersionRecord v;
    std::memset(&v, 0xAA, sizeof v);
    beVersion(&v);
    EXPECT_EQ(v.interfaceMajor, 1);
    EXPECT_EQ(v.interfaceMinor, 0);
    EXPECT_EQ(std::to_string(v.engineMajor) + "." + std::to_string(v.engineMinor),
              std::string(SHINE_VERSION).substr(0, std::string(SHINE_VERSION).rfind('.')));
    EXPECT_LT(v.engineMajor * 256 + v.engineMinor, 3 * 256 + 54)
        << "as \"lame_enc.dll\" it would be given the plain record it takes";
    EXPECT_EQ(v.reserved[0], 0);
}

TEST(BladeEnc, RecordFieldsReachEveryFrameOfAWholeConstantBitrateStream)
{
    struct Case {
        BEConfigMp3 record;
        int version, frameSamples;
    };
    std::vector<Case> cases = {{Plain(44100, BE_MP3_MODE_STEREO, 192), 10, 1152},
                               {Plain(48000, BE_MP3_MODE_MONO, 64), 10, 1152},
                               {Plain(32000, BE_MP3_MODE_JSTEREO, 320), 10, 1152},
                               {Plain(22050, BE_MP3_MODE_DUALCHANNEL, 64), 20, 576},
                               {Plain(8000, BE_MP3_MODE_MONO, 8), 25, 576}};
    cases[0].record.privateFlag = 1;
    cases[1].record.copyright = cases[1].record.original = 1;
    cases[2].record.privateFlag = cases[2].record.original = 1;
    cases[3].record.crc = 1; // accepted, not written
    for (const Case& c : cases) {
        const BEConfigMp3& r = c.record;
        SCOPED_TRACE(testing::Message() << +r.sampleRate << " Hz " << +r.bitrate << " kbit/s");
        // A whole number of frames, and one more sample that needs a padded frame of its own.
        for (size_t samples : {size_t(c.frameSamples) * 20, size_t(c.frameSamples) * 20 + 1}) {
            const Stream s = EncodeAll(&r, Signal(samples));
            ASSERT_EQ(s.initResult, BE_ERR_SUCCESSFUL);
            EXPECT_EQ(s.chunk, 2u * static_cast<uint32_t>(c.frameSamples));
            const auto walk = WalkFrames(s.bytes);
            EXPECT_TRUE(walk.whole) << "whole frames, the last one complete";
            EXPECT_EQ(walk.frames.size(), (samples + c.frameSamples - 1) / c.frameSamples);
            for (const auto& f : walk.frames) {
                EXPECT_EQ(f.version, c.version);
                EXPECT_EQ(f.sampleRate, static_cast<int>(r.sampleRate));
                EXPECT_EQ(f.bitrate, +r.bitrate);
                EXPECT_EQ(f.mode, r.mode);
                EXPECT_FALSE(f.crc);
                EXPECT_EQ(f.copyright, r.copyright != 0);
                EXPECT_EQ(f.original, r.original != 0);
                EXPECT_EQ(f.privateBit, r.privateFlag != 0);
                EXPECT_LE(f.size * 2, s.bufferSize) << "the output buffer holds two frames";
            }
        }
    }
}

TEST(BladeEnc, PiecesOfAnySizeAtAnyAddressGiveTheSameStream)
{
    const auto pcm = Signal(30000);
    const BEConfigMp3 r = Plain();
    const Stream whole = EncodeAll(&r, pcm);
    EXPECT_EQ(EncodeAll(&r, pcm, 1000, 1).bytes, whole.bytes);
    EXPECT_EQ(EncodeAll(&r, pcm, 2, 3).bytes, whole.bytes);
    EXPECT_EQ(EncodeAll(&r, pcm, 2302).bytes, whole.bytes);
}

TEST(BladeEnc, RefusedRecordsStartNothing)
{
    BEConfigLame lame{};
    lame.kind = BE_CONFIG_LAME;
    BEConfigMp3 vorbis = Plain();
    vorbis.kind = BE_CONFIG_VORBIS;
    const std::vector<std::pair<BEConfigMp3, uint32_t>> plain = {
        {Plain(44000), BE_ERR_INVALID_PARAMETERS},
        {Plain(96000), BE_ERR_INVALID_PARAMETERS},
        {Plain(44100, 0, 100), BE_ERR_INVALID_PARAMETERS},
        {Plain(22050, 0, 192), BE_ERR_INVALID_PARAMETERS},
        {Plain(44100, 4), BE_ERR_INVALID_PARAMETERS},
        {vorbis, BE_ERR_INVALID_FORMAT}};
    uint32_t chunk = 0, size = 0;
    BEStream stream = 3;
    EXPECT_EQ(beInitStream(&lame, &chunk, &size, &stream), BE_ERR_INVALID_FORMAT)
        << "plain record only";
    EXPECT_EQ(stream, 0u);
    for (auto [record, result] : plain) {
        SCOPED_TRACE(testing::Message() << +record.sampleRate << " " << +record.bitrate);
        stream = 3;
        EXPECT_EQ(beInitStream(&record, &chunk, &size, &stream), result);
        EXPECT_EQ(stream, 0u);
    }
    EXPECT_NE(beInitStream(nullptr, &chunk, &size, &stream), 0u);
}

TEST(BladeEnc, StreamsAreSmallTableIndices)
{
    BEConfigMp3 r = Plain();
    std::vector<BEStream> streams;
    uint32_t chunk = 0, size = 0;
    for (int i = 0; i < 64; ++i) {
        BEStream s = 0;
        ASSERT_EQ(beInitStream(&r, &chunk, &size, &s), BE_ERR_SUCCESSFUL);
        streams.push_back(s);
    }
    std::set<BEStream> distinct(streams.begin(), streams.end());
    EXPECT_EQ(distinct.size(), 64u);
    EXPECT_EQ(*distinct.begin(), 1u);
    EXPECT_EQ(*distinct.rbegin(), 64u);
    BEStream extra = 9;
    EXPECT_EQ(beInitStream(&r, &chunk, &size, &extra), BE_ERR_NO_MORE_HANDLES);
    EXPECT_EQ(extra, 0u);
    EXPECT_EQ(beCloseStream(streams[10]), BE_ERR_SUCCESSFUL);
    ASSERT_EQ(beInitStream(&r, &chunk, &size, &extra), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(extra, streams[10]);

    std::vector<uint8_t> out(size);
    std::vector<int16_t> pcm(chunk + 2);
    uint32_t length = 99;
    EXPECT_EQ(beEncodeChunk(0, 2, pcm.data(), out.data(), &length), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(length, 0u);
    length = 99;
    EXPECT_EQ(beEncodeChunk(extra, chunk + 2, pcm.data(), out.data(), &length),
              BE_ERR_INVALID_PARAMETERS);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(beDeinitStream(extra, out.data(), &length), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(beEncodeChunk(extra, 2, pcm.data(), out.data(), &length), BE_ERR_INVALID_HANDLE);
    for (BEStream s : streams)
        beCloseStream(s);
    EXPECT_EQ(beCloseStream(extra), BE_ERR_INVALID_HANDLE);
}

TEST(BladeEnc, ExportsExactlyFiveEntryPointsWithoutTheVbrHeaderWriter)
{
    EXPECT_EQ(testsupport::ExportedNames(testsupport::BinDir() + "/libbladeenc.so"),
              (std::set<std::string>{"beInitStream", "beEncodeChunk", "beDeinitStream",
                                     "beCloseStream", "beVersion"}));
}
