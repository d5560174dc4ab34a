// liblame_enc.so through its exported entry points: every record field in the frames it
// writes, refused records, the stream table, the VBR header writer, and its exports.
#include "LameSettings.h"
#include "encoder/mp3/BackEndStream.h"
#include "encoder/mp3/Mp3Frames.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <lame/lame.h>
#include <set>
#include <thread>
#include <tuple>

using namespace mp3test;
using testsupport::ReadBytes;
using testsupport::TempDir;

namespace
{

std::string WriteStream(const TempDir& dir, const std::string& name, const std::vector<uint8_t>& b,
                        const std::string& before = "", const std::string& after = "")
{
    std::string contents = before + std::string(b.begin(), b.end()) + after;
    testsupport::WriteFile(dir / name, contents);
    return dir / name;
}

// The stream begins with a frame that is all zeros after its header: the VBR header's place.
bool StartsWithPlaceholder(const std::vector<uint8_t>& b)
{
    mp3test::FrameHeader f;
    if (b.size() < 4 || !mp3test::ParseHeader(b.data(), f) || f.size > b.size()) return false;
    return std::all_of(b.begin() + 4, b.begin() + static_cast<long>(f.size),
                       [](uint8_t c) { return c == 0; });
}

} // namespace

TEST(LameEnc, VersionReportsInterface14AndTheLinkedEngine)
{
    BEVersionRecord v;
    std::memset(&v, 0xAA, sizeof v);
    beVersion(&v);
    lame_version_t engine{};
    get_lame_version_numerical(&engine);
    EXPECT_EQ(v.interfaceMajor, 1);
    EXPECT_EQ(v.interfaceMinor, 4);
    EXPECT_EQ(v.engineMajor, engine.major);
    EXPECT_EQ(v.engineMinor, engine.minor);
    EXPECT_GE(v.engineMajor * 256 + v.engineMinor, 3 * 256 + 54) << "enough for the LAME record";
    EXPECT_EQ(v.reserved[0], 0);
}

TEST(LameEnc, PlainRecordFieldsReachEveryFrameHeader)
{
    struct Case {
        BEConfigMp3 record;
        int version;
    };
    std::vector<Case> cases = {{Plain(44100, BE_MP3_MODE_STEREO, 192), 10},
                               {Plain(48000, BE_MP3_MODE_MONO, 64), 10},
                               {Plain(32000, BE_MP3_MODE_DUALCHANNEL, 320), 10},
                               {Plain(22050, BE_MP3_MODE_JSTEREO, 32), 20},
                               {Plain(11025, BE_MP3_MODE_MONO, 8), 25}};
    cases[1].record.crc = cases[1].record.copyright = 1;
    cases[2].record.original = cases[2].record.privateFlag = 1;
    cases[3].record.crc = cases[3].record.privateFlag = cases[3].record.copyright = 1;
    const auto pcm = Signal(30000);
    for (const Case& c : cases) {
        const BEConfigMp3& r = c.record;
        SCOPED_TRACE(testing::Message() << +r.sampleRate << " Hz " << +r.bitrate << " kbit/s");
        const Stream s = EncodeAll(&r, pcm);
        ASSERT_EQ(s.initResult, BE_ERR_SUCCESSFUL);
        const auto walk = WalkFrames(s.bytes);
        EXPECT_TRUE(walk.whole) << "whole frames from the first byte to the last";
        ASSERT_GT(walk.frames.size(), 10u);
        EXPECT_FALSE(ReadXing(s.bytes).found) << "the plain record has no VBR header frame";
        for (const auto& f : walk.frames) {
            EXPECT_EQ(f.version, c.version);
            EXPECT_EQ(f.sampleRate, static_cast<int>(r.sampleRate));
            EXPECT_EQ(f.bitrate, +r.bitrate) << "constant bitrate";
            EXPECT_EQ(f.mode, r.mode);
            EXPECT_EQ(f.crc, r.crc != 0);
            EXPECT_EQ(f.copyright, r.copyright != 0);
            EXPECT_EQ(f.original, r.original != 0);
            EXPECT_EQ(f.privateBit, r.privateFlag != 0);
        }
    }
}

TEST(LameEnc, LameRecordVariableAndConstantBitrate)
{
    const auto pcm = Signal(60000);
    BEConfigLame vbr = Lame();
    Stream s = EncodeAll(&vbr, pcm);
    ASSERT_EQ(s.initResult, BE_ERR_SUCCESSFUL);
    auto walk = WalkFrames(s.bytes);
    ASSERT_TRUE(walk.whole);
    EXPECT_TRUE(StartsWithPlaceholder(s.bytes)) << "room for the VBR header first";
    std::set<int> rates;
    // The last frame holds the encoder's padding after the audio: no bitrate floor there.
    for (size_t i = 1; i + 1 < walk.frames.size(); ++i) {
        rates.insert(walk.frames[i].bitrate);
        EXPECT_GE(walk.frames[i].bitrate, 192);
        EXPECT_LE(walk.frames[i].bitrate, 320);
    }
    EXPECT_GT(rates.size(), 1u) << "variable bitrate";

    vbr.maxBitrate = 224;
    s = EncodeAll(&vbr, pcm);
    walk = WalkFrames(s.bytes);
    for (size_t i = 1; i < walk.frames.size(); ++i)
        EXPECT_LE(walk.frames[i].bitrate, 224);

    BEConfigLame cbr = Lame();
    cbr.vbr = 0;
    cbr.bitrate = 128;
    cbr.maxBitrate = 0;
    cbr.crc = cbr.copyright = cbr.original = cbr.privateFlag = 1;
    cbr.mode = BE_MP3_MODE_JSTEREO;
    cbr.emphasis = 1;
    s = EncodeAll(&cbr, pcm);
    walk = WalkFrames(s.bytes);
    ASSERT_TRUE(walk.whole);
    for (const auto& f : walk.frames) {
        EXPECT_EQ(f.bitrate, 128);
        EXPECT_EQ(f.mode, BE_MP3_MODE_JSTEREO);
        EXPECT_TRUE(f.crc && f.copyright && f.original && f.privateBit);
        EXPECT_EQ(f.emphasis, 1);
    }

    EXPECT_TRUE(StartsWithPlaceholder(s.bytes));
    BEConfigLame noHeader = cbr;
    noHeader.writeVbrHeader = 0;
    const Stream without = EncodeAll(&noHeader, pcm);
    EXPECT_FALSE(StartsWithPlaceholder(without.bytes));
    EXPECT_EQ(WalkFrames(without.bytes).frames.size() + 1, walk.frames.size());
}

TEST(LameEnc, MpegVersionAndOutputRate)
{
    const auto pcm = Signal(30000);
    struct Case {
        uint32_t input, output, mpeg, bitrate;
        int rate, version;
    };
    for (const Case& c : {Case{44100, 0, BE_MPEG_VERSION_1, 128, 44100, 10},
                          Case{44100, 0, BE_MPEG_VERSION_2, 64, 22050, 20},
                          Case{48000, 0, BE_MPEG_VERSION_2, 64, 24000, 20},
                          Case{22050, 0, BE_MPEG_VERSION_2, 64, 22050, 20},
                          Case{44100, 32000, BE_MPEG_VERSION_1, 128, 32000, 10},
                          Case{44100, 11025, BE_MPEG_VERSION_2, 32, 11025, 25}}) {
        SCOPED_TRACE(testing::Message() << c.input << " -> " << c.output);
        BEConfigLame r = Lame();
        r.inputSampleRate = c.input;
        r.outputSampleRate = c.output;
        r.mpegVersion = c.mpeg;
        r.vbr = 0;
        r.bitrate = c.bitrate;
        const Stream s = EncodeAll(&r, pcm);
        ASSERT_EQ(s.initResult, BE_ERR_SUCCESSFUL);
        const auto walk = WalkFrames(s.bytes);
        ASSERT_FALSE(walk.frames.empty());
        EXPECT_EQ(walk.frames.back().sampleRate, c.rate);
        EXPECT_EQ(walk.frames.back().version, c.version);
    }
}

TEST(LameEnc, PresetAndVbrQualityReachTheEngine)
{
    auto started = [](const BEConfigLame& r) {
        lameenc::LameSettings settings;
        EXPECT_EQ(lameenc::ReadRecord(&r, settings), BE_ERR_SUCCESSFUL);
        return lameenc::StartEncoder(settings);
    };
    // The preset sets the algorithm quality (libmp3lame coarsens it for VBR, so CBR shows it).
    for (auto [preset, quality] : {std::pair{2, 2}, {1, 7}, {0, 5}}) {
        BEConfigLame r = Lame();
        r.vbr = 0;
        r.preset = preset;
        lame_t gf = started(r);
        ASSERT_NE(gf, nullptr);
        EXPECT_EQ(lame_get_quality(gf), quality) << preset;
        EXPECT_EQ(lame_get_VBR(gf), vbr_off);
        EXPECT_EQ(lame_get_brate(gf), 192);
        lame_close(gf);
    }
    BEConfigLame r = Lame();
    r.vbrQuality = 3;
    lame_t gf = started(r);
    ASSERT_NE(gf, nullptr);
    EXPECT_EQ(lame_get_VBR(gf), vbr_default);
    EXPECT_EQ(lame_get_VBR_q(gf), 3);
    EXPECT_EQ(lame_get_VBR_min_bitrate_kbps(gf), 192);
    EXPECT_EQ(lame_get_VBR_max_bitrate_kbps(gf), 320);
    EXPECT_EQ(lame_get_bWriteVbrTag(gf), 1);
    EXPECT_EQ(lame_get_in_samplerate(gf), 44100);
    EXPECT_EQ(lame_get_out_samplerate(gf), 44100);
    lame_close(gf);
}

TEST(LameEnc, RefusedRecordsStartNothing)
{
    struct Bad {
        const char* what;
        std::vector<uint8_t> record;
        uint32_t result;
    };
    auto bytes = [](const auto& r) {
        const auto* p = reinterpret_cast<const uint8_t*>(&r);
        return std::vector<uint8_t>(p, p + BE_CONFIG_SIZE);
    };
    auto lame = [&](auto change) {
        BEConfigLame r = Lame();
        change(r);
        return bytes(r);
    };
    auto plain = [&](auto change) {
        BEConfigMp3 r = Plain();
        change(r);
        return bytes(r);
    };
    const uint32_t params = BE_ERR_INVALID_PARAMETERS, format = BE_ERR_INVALID_FORMAT;
    const std::vector<Bad> bad = {
        {"kind 7", plain([](BEConfigMp3& r) { r.kind = 7; }), format},
        {"Vorbis kind", plain([](BEConfigMp3& r) { r.kind = BE_CONFIG_VORBIS; }), format},
        {"record version 2", lame([](BEConfigLame& r) { r.version = 2; }), format},
        {"record size 330", lame([](BEConfigLame& r) { r.size = 330; }), format},
        {"rate 44000", plain([](BEConfigMp3& r) { r.sampleRate = 44000; }), params},
        {"rate 0", plain([](BEConfigMp3& r) { r.sampleRate = 0; }), params},
        {"bitrate 100", plain([](BEConfigMp3& r) { r.bitrate = 100; }), params},
        {"192 at 22050", plain([](BEConfigMp3& r) { r.sampleRate = 22050; }), params},
        {"plain mode 4", plain([](BEConfigMp3& r) { r.mode = 4; }), params},
        {"LAME mode -1", lame([](BEConfigLame& r) { r.mode = -1; }), params},
        {"input 96000", lame([](BEConfigLame& r) { r.inputSampleRate = 96000; }), params},
        {"input 2^32-1", lame([](BEConfigLame& r) { r.inputSampleRate = 0xFFFFFFFFu; }), params},
        {"preset 5", lame([](BEConfigLame& r) { r.preset = 5; }), params},
        {"VBR quality 10", lame([](BEConfigLame& r) { r.vbrQuality = 10; }), params},
        {"VBR quality -1", lame([](BEConfigLame& r) { r.vbrQuality = -1; }), params},
        {"maximum below minimum", lame([](BEConfigLame& r) { r.maxBitrate = 160; }), params},
        {"maximum 300", lame([](BEConfigLame& r) { r.maxBitrate = 300; }), params},
        {"MPEG version 2", lame([](BEConfigLame& r) { r.mpegVersion = 2; }), params},
        {"MPEG-1 from 22050", lame([](BEConfigLame& r) { r.inputSampleRate = 22050; }), params},
        {"MPEG-1 to 22050", lame([](BEConfigLame& r) { r.outputSampleRate = 22050; }), params},
        {"MPEG-2 at 192", lame([](BEConfigLame& r) { r.mpegVersion = BE_MPEG_VERSION_2; }), params},
        {"emphasis 2", lame([](BEConfigLame& r) { r.emphasis = 2; }), params},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.what);
        std::vector<uint8_t> record = b.record;
        uint32_t chunk = 0xDEAD, size = 0xBEEF;
        BEStream stream = 0x1234;
        EXPECT_EQ(beInitStream(record.data(), &chunk, &size, &stream), b.result);
        EXPECT_EQ(stream, 0u);
    }
    BEConfigLame good = Lame();
    uint32_t chunk = 0, size = 0;
    BEStream stream = 77;
    EXPECT_NE(beInitStream(nullptr, &chunk, &size, &stream), 0u);
    EXPECT_EQ(stream, 0u);
    EXPECT_NE(beInitStream(&good, nullptr, &size, &stream), 0u);
    EXPECT_NE(beInitStream(&good, &chunk, &size, nullptr), 0u);
}

TEST(LameEnc, StreamsAreSmallTableIndices)
{
    BEConfigMp3 r = Plain();
    std::vector<BEStream> streams;
    uint32_t chunk = 0, size = 0;
    for (int i = 0; i < 64; ++i) {
        BEStream s = 0;
        ASSERT_EQ(beInitStream(&r, &chunk, &size, &s), BE_ERR_SUCCESSFUL);
        streams.push_back(s);
    }
    EXPECT_EQ(chunk, 2304u);
    EXPECT_EQ(size, 8640u);
    std::set<BEStream> distinct(streams.begin(), streams.end());
    EXPECT_EQ(distinct.size(), 64u);
    EXPECT_EQ(*distinct.begin(), 1u);
    EXPECT_EQ(*distinct.rbegin(), 64u);
    BEStream extra = 9;
    EXPECT_EQ(beInitStream(&r, &chunk, &size, &extra), BE_ERR_NO_MORE_HANDLES);
    EXPECT_EQ(extra, 0u);
    EXPECT_EQ(beCloseStream(streams[4]), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(beCloseStream(streams[4]), BE_ERR_INVALID_HANDLE);
    ASSERT_EQ(beInitStream(&r, &chunk, &size, &extra), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(extra, streams[4]) << "the freed index is given out again";

    // Calls on bad streams, and chunks larger than the output buffer is sized for.
    std::vector<uint8_t> out(size);
    std::vector<int16_t> pcm(chunk + 2);
    uint32_t length = 99;
    for (BEStream bad : {0u, 65u, 0xFFFFFFFFu}) {
        EXPECT_EQ(beEncodeChunk(bad, 2, pcm.data(), out.data(), &length), BE_ERR_INVALID_HANDLE);
        EXPECT_EQ(length, 0u);
        EXPECT_EQ(beDeinitStream(bad, out.data(), &length), BE_ERR_INVALID_HANDLE);
        EXPECT_EQ(beCloseStream(bad), BE_ERR_INVALID_HANDLE);
    }
    length = 99;
    EXPECT_EQ(beEncodeChunk(extra, chunk + 2, pcm.data(), out.data(), &length),
              BE_ERR_INVALID_PARAMETERS);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(beDeinitStream(extra, out.data(), &length), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(beEncodeChunk(extra, 4, pcm.data(), out.data(), &length), BE_ERR_INVALID_HANDLE)
        << "a finished stream takes no more samples";
    EXPECT_EQ(beDeinitStream(extra, out.data(), &length), BE_ERR_INVALID_HANDLE);
    for (BEStream s : streams)
        beCloseStream(s);
    EXPECT_EQ(beCloseStream(extra), BE_ERR_INVALID_HANDLE) << "extra reused streams[4]";
}

TEST(LameEnc, PiecesOfAnySizeAtAnyAddressGiveTheSameStream)
{
    const auto pcm = Signal(20000);
    const BEConfigLame r = Lame();
    const Stream whole = EncodeAll(&r, pcm);
    const Stream pieces = EncodeAll(&r, pcm, 1000, 1);
    const Stream other = EncodeAll(&r, pcm, 1002, 3);
    EXPECT_EQ(pieces.bytes, whole.bytes);
    EXPECT_EQ(other.bytes, whole.bytes);
}

TEST(LameEnc, VbrHeaderIsTheLastFinishedStreamsLameTagFrame)
{
    TempDir dir;
    const size_t frames = 44100;
    const auto pcm = Signal(frames);
    const BEConfigLame r = Lame();
    const Stream s = EncodeAll(&r, pcm);
    const std::string path = WriteStream(dir, "t.mp3", s.bytes);
    EXPECT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_SUCCESSFUL);
    const auto file = ReadBytes(path);
    ASSERT_EQ(file.size(), s.bytes.size());
    EXPECT_TRUE(std::equal(file.begin() + 417, file.end(), s.bytes.begin() + 417))
        << "only the first frame changes";
    const auto x = ReadXing(file);
    const auto walk = WalkFrames(file);
    ASSERT_TRUE(x.found && x.lame);
    EXPECT_EQ(x.kind, "Xing");
    EXPECT_EQ(x.encoder.substr(0, 4), "LAME");
    EXPECT_TRUE(x.crcValid);
    EXPECT_EQ(x.frames, walk.frames.size() - 1);
    EXPECT_EQ(x.bytes, file.size());
    EXPECT_EQ(x.musicLength, file.size());
    EXPECT_EQ(x.delay + frames + x.padding, x.frames * 1152u);

    // The placeholder is gone now: a second call finds no file of that stream.
    EXPECT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_INVALID_PARAMETERS);
    EXPECT_EQ(ReadBytes(path), file);

    // An ID3v2 tag before the stream and an ID3v1 tag after it are stepped over.
    std::string id3v2("ID3\x03\x00\x00\x00\x00\x00\x14", 10);
    id3v2 += std::string(20, '\0');
    const std::string tagged =
        WriteStream(dir, "tagged.mp3", s.bytes, id3v2, "TAG" + std::string(125, 'x'));
    EXPECT_EQ(beWriteVBRHeader(tagged.c_str()), BE_ERR_SUCCESSFUL);
    const auto t = ReadBytes(tagged);
    EXPECT_EQ(std::vector<uint8_t>(t.begin() + 30, t.end() - 128), file);

    // Files that are not the stream's are left alone.
    const std::vector<std::tuple<std::string, std::string, std::string>> others = {
        {"longer", "", "x"}, {"shorter", "", ""}, {"untagged tail", "", std::string(128, 'x')}};
    for (const auto& [name, before, after] : others) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> bytes = s.bytes;
        if (name == "shorter") bytes.pop_back();
        const std::string p = WriteStream(dir, "other.mp3", bytes, before, after);
        const auto original = ReadBytes(p);
        EXPECT_EQ(beWriteVBRHeader(p.c_str()), BE_ERR_INVALID_PARAMETERS);
        EXPECT_EQ(ReadBytes(p), original);
    }
    EXPECT_EQ(beWriteVBRHeader((dir / "missing.mp3").c_str()), BE_ERR_INVALID_PARAMETERS);
    EXPECT_EQ(beWriteVBRHeader(nullptr), BE_ERR_INVALID_PARAMETERS);

    // A stream finished without the header step leaves no frame to write.
    const BEConfigMp3 plain = Plain();
    const Stream p = EncodeAll(&plain, pcm);
    const std::string again = WriteStream(dir, "again.mp3", s.bytes);
    EXPECT_EQ(beWriteVBRHeader(again.c_str()), BE_ERR_INVALID_PARAMETERS);
    EXPECT_EQ(ReadBytes(again), s.bytes);
}

TEST(LameEnc, ExportsExactlyTheSixEntryPoints)
{
    EXPECT_EQ(testsupport::ExportedNames(testsupport::BinDir() + "/liblame_enc.so"),
              (std::set<std::string>{"beInitStream", "beEncodeChunk", "beDeinitStream",
                                     "beCloseStream", "beVersion", "beWriteVBRHeader"}));
}

TEST(LameEncThreads, StreamsOnTwoThreadsEncodeAsTheyWouldAlone)
{
    const auto pcm = Signal(40000);
    const BEConfigLame r = Lame();
    const Stream alone = EncodeAll(&r, pcm);
    Stream first, second;
    std::thread a([&] { first = EncodeAll(&r, pcm, 2304); });
    std::thread b([&] { second = EncodeAll(&r, pcm, 1000); });
    a.join();
    b.join();
    EXPECT_EQ(first.bytes, alone.bytes);
    EXPECT_EQ(second.bytes, alone.bytes);
}
