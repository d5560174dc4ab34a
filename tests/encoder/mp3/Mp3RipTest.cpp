// Whole MP3 rips of generated disc images through the real stand-ins: by the console ripper and
// by xt calls, decoded by mpg123, the Xing/LAME header checked byte by byte, the ID3v1 tag read
// back by id3v2, and which encoder types the stand-ins make available.
#include "Mp3Frames.h"

#include "discimage/DiscImage.h"
#include "include/Veltraenc.h"
#include "support/TestSupport.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace mp3test;
using testsupport::ReadBytes;
using testsupport::TempDir;

namespace
{

constexpr size_t kFrameSamples = 1152;
// Samples before the audio in a decoded LAME stream without its gapless data: the encoder's
// 576 and the decoder's 529.
constexpr size_t kLameDelay = 576 + 529;

struct Disc {
    discimage::WrittenImage image;
    std::vector<uint32_t> lengths;

    // The PCM of a track as the image holds it.
    std::vector<uint8_t> Track(size_t i) const
    {
        const auto bin = ReadBytes(image.binPath);
        const size_t from = size_t{image.trackStarts[i]} * CD_FRAME_BYTES;
        const size_t size = size_t{lengths[i]} * CD_FRAME_BYTES;
        return std::vector<uint8_t>(bin.begin() + static_cast<long>(from),
                                    bin.begin() + static_cast<long>(from + size));
    }
};

Disc MakeDisc(const TempDir& dir, std::vector<uint32_t> lengths)
{
    discimage::DiscLayout layout;
    layout.audioLengths = lengths;
    layout.audio = discimage::Audio::Tones;
    return Disc{discimage::WriteDiscImage(layout, dir / "disc"), lengths};
}

// A program on PATH, by its full path.
std::string Program(const std::string& name)
{
    std::stringstream path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
    for (std::string dir; std::getline(path, dir, ':');)
        if (access((dir + "/" + name).c_str(), X_OK) == 0) return dir + "/" + name;
    ADD_FAILURE() << name << " is not installed (scripts/setup installs it)";
    return name;
}

// The file decoded by mpg123 to raw 16-bit stereo at the stream's rate.
std::vector<int16_t> Decode(const std::string& path)
{
    auto r = testsupport::Run({Program("mpg123"), "-q", "-s", path});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<int16_t> pcm(r.out.size() / 2);
    std::memcpy(pcm.data(), r.out.data(), pcm.size() * 2);
    return pcm;
}

// Normalised correlation of the left channels with the decoded audio `lag` samples late.
double Correlation(const std::vector<uint8_t>& original, const std::vector<int16_t>& decoded,
                   size_t lag)
{
    const size_t samples = original.size() / 4;
    double xy = 0, xx = 0, yy = 0;
    for (size_t i = 0; i < samples && 2 * (i + lag) < decoded.size(); ++i) {
        const double x = static_cast<int16_t>(original[4 * i] | original[4 * i + 1] << 8);
        const double y = decoded[2 * (i + lag)];
        xy += x * y, xx += x * x, yy += y * y;
    }
    return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
}

double BestCorrelation(const std::vector<uint8_t>& original, const std::vector<int16_t>& decoded)
{
    double best = -1;
    for (size_t lag = 0; lag <= 2 * kFrameSamples; ++lag)
        best = std::max(best, Correlation(original, decoded, lag));
    return best;
}

// A type 3 file: its header frame is a valid Xing/LAME frame describing the stream, and
// mpg123 plays exactly the track's samples.
void ExpectLameFile(const std::string& path, const std::vector<uint8_t>& track, bool tagged)
{
    SCOPED_TRACE(path);
    const auto file = ReadBytes(path);
    const size_t stream = file.size() - (tagged ? 128 : 0);
    const auto walk = WalkFrames(file, 0, stream);
    EXPECT_TRUE(walk.whole);
    const XingHeader x = ReadXing(file);
    ASSERT_TRUE(x.found);
    EXPECT_EQ(x.kind, "Xing");
    EXPECT_TRUE(x.lame);
    EXPECT_EQ(x.encoder.substr(0, 4), "LAME");
    EXPECT_TRUE(x.crcValid) << "the LAME tag's own CRC";
    EXPECT_EQ(x.flags & 0x0F, 0x0Fu) << "frames, bytes, table of contents, quality";
    EXPECT_EQ(x.frames + 1, walk.frames.size());
    EXPECT_EQ(x.bytes, stream) << "the tag follows the header's stream";
    const size_t samples = track.size() / 4;
    EXPECT_EQ(x.delay + samples + x.padding, size_t{x.frames} * kFrameSamples);
    const auto decoded = Decode(path);
    EXPECT_EQ(decoded.size() / 2, samples) << "gapless: the LAME header trims delay and padding";
    EXPECT_GT(Correlation(track, decoded, 0), 0.95);
}

// A type 4 (or 2) file: constant bitrate whole frames, decoded within a frame plus the delay.
void ExpectPlainFile(const std::string& path, const std::vector<uint8_t>& track, bool tagged,
                     size_t encoderDelay)
{
    SCOPED_TRACE(path);
    const auto file = ReadBytes(path);
    const auto walk = WalkFrames(file, 0, file.size() - (tagged ? 128 : 0));
    EXPECT_TRUE(walk.whole);
    EXPECT_FALSE(ReadXing(file).found);
    ASSERT_FALSE(walk.frames.empty());
    for (const auto& f : walk.frames)
        EXPECT_EQ(f.bitrate, 192) << "the rip's bitrate, constant";
    const auto decoded = Decode(path);
    const double samples = static_cast<double>(track.size() / 4);
    EXPECT_NEAR(static_cast<double>(decoded.size() / 2), samples,
                static_cast<double>(kFrameSamples + encoderDelay));
    EXPECT_GT(BestCorrelation(track, decoded), 0.9);
}

std::string TrackFile(const std::string& folder, size_t i)
{
    char name[32];
    std::snprintf(name, sizeof name, "Track %02zu.MP3", i + 1);
    return folder + "/" + name;
}

} // namespace

TEST(Mp3Availability, TheStandInsMakeTypes3And4Available)
{
    EXPECT_EQ(xtEncoderAvail(XT_ENCODER_LAME2), 1);
    EXPECT_EQ(xtEncoderAvail(XT_ENCODER_LAME1), 0) << "an engine from 3.54 on takes the record";
    EXPECT_EQ(xtEncoderAvail(XT_ENCODER_BLADE), 1);
    EXPECT_EQ(xtFormatAvail(XT_FORMAT_MP3), 1);

    // The C client in folders holding only some of the stand-ins: types -1 to 8, formats -1 to 6.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"liblame_enc.so"}, "0110100000 01110000"},
        {{"libbladeenc.so"}, "0110010000 01110000"},
        {{"liblame_enc.so", "libbladeenc.so"}, "0110110000 01110000"},
        {{"libflac_enc.so", "libopus_enc.so"}, "0110000110 01100110"},
    };
    for (const auto& [libraries, expected] : cases) {
        TempDir folder;
        const std::string tests = fs::path(testsupport::BinDir()).parent_path() / "tests";
        fs::copy_file(tests + "/xt_c_client", folder / "xt_c_client");
        for (std::string name : libraries)
            fs::copy_file(testsupport::BinDir() + "/" + name, folder / name);
        fs::copy_file(testsupport::BinDir() + "/libVeltraenc.so", folder / "libVeltraenc.so");
        auto r = testsupport::Run({folder / "xt_c_client", "avail"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, expected + "\n") << libraries.front();
    }
}

TEST(Mp3Rip, TheConsoleRipperRipsADiscToMp3WithTheLameThenTheBladeStandIn)
{
    testsupport::ProgramFolder folder;
    TempDir dir, lame, blade;
    const Disc disc = MakeDisc(dir, {300, 151});
    const std::string cli = folder.program("veltracdrip-cli");
    auto run = testsupport::Run(
        {cli, "--image", disc.image.descriptorPath, "--out", lame.path(), "--format", "mp3"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    for (size_t i = 0; i < disc.lengths.size(); ++i)
        ExpectLameFile(TrackFile(lame.path(), i), disc.Track(i), false);

    // Without "lame_enc.dll" the ripper takes "bladeenc.dll" (type 4).
    fs::remove(folder / "liblame_enc.so");
    run = testsupport::Run(
        {cli, "--image", disc.image.descriptorPath, "--out", blade.path(), "--format", "mp3"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    for (size_t i = 0; i < disc.lengths.size(); ++i)
        ExpectPlainFile(TrackFile(blade.path(), i), disc.Track(i), false, 0);
}

TEST(Mp3Rip, XtCallsRipTaggedFilesThroughTypes2To4)
{
    TempDir dir, out;
    const Disc disc = MakeDisc(dir, {226});
    const auto track = disc.Track(0);
    for (int type : {XT_ENCODER_LAME2, XT_ENCODER_BLADE, XT_ENCODER_LAME1}) {
        SCOPED_TRACE(type);
        const std::string name = "type" + std::to_string(type);
        const StreamHandle h = xtGetEncoder(type);
        ASSERT_NE(h, 0);
        // The rip's settings, with a tag asked for.
        xtSetAsciiOption(h, ID3_TITLE, "A title that is longer than thirty");
        xtSetAsciiOption(h, ID3_ALBUM, "Album");
        xtSetAsciiOption(h, ID3_ARTIST, "Artist");
        xtSetAsciiOption(h, ID3_YEAR, "2001");
        xtSetIntOption(h, ID3_LEVEL, 1);
        xtSetIntOption(h, MP3_BITRATE, 192);
        xtSetIntOption(h, MP3_MAX_BITRATE, 320);
        xtSetIntOption(h, LAME_PRESET, 2);
        xtSetIntOption(h, LAME_MPEG_VERSION, 1);
        xtSetIntOption(h, LAME_VBR, 1);
        xtSetIntOption(h, LAME_VBR_QUALITY, 5);
        xtSetIntOption(h, ID3_TRACK, 7);
        xtSetIntOption(h, ID3_GENRE, 8);
        xtSetAsciiOption(h, OUTPUT_DIR, out.path().c_str());
        xtSetAsciiOption(h, FILE_NAME, name.c_str());
        ASSERT_EQ(xtOpenOutputFile(h), 1);
        ASSERT_EQ(xtInit(h), 1);
        long produced = 0;
        for (size_t at = 0; at < track.size(); at += 4096)
            produced += xtEncode(h, track.data() + at,
                                 static_cast<int>(std::min<size_t>(4096, track.size() - at)));
        produced += xtFlush(h);
        EXPECT_EQ(xtClose(h), 1);

        const std::string path = out / (name + ".MP3");
        EXPECT_EQ(testsupport::FileSize(path), produced + 128) << "the audio, then the tag";
        if (type == XT_ENCODER_LAME2)
            ExpectLameFile(path, track, true);
        else
            ExpectPlainFile(path, track, true, type == XT_ENCODER_LAME1 ? kLameDelay : 0);

        auto id3 = testsupport::Run({Program("id3v2"), "-l", path});
        ASSERT_EQ(id3.exitCode, 0) << id3.err;
        EXPECT_NE(id3.out.find("id3v1 tag info"), std::string::npos) << id3.out;
        EXPECT_NE(id3.out.find("Title  : A title that is longer than"), std::string::npos)
            << id3.out;
        EXPECT_EQ(id3.out.find("longer than thirty"), std::string::npos) << "cut to 30";
        EXPECT_NE(id3.out.find("Artist: Artist"), std::string::npos) << id3.out;
        EXPECT_NE(id3.out.find("Album  : Album"), std::string::npos) << id3.out;
        EXPECT_NE(id3.out.find("Year: 2001, Genre: Jazz (8)"), std::string::npos) << id3.out;
        EXPECT_NE(id3.out.find("Track: 7"), std::string::npos) << id3.out;
    }
}
