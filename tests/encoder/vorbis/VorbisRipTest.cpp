// Ogg Vorbis end to end with the real stand-in: the console ripper on a generated disc image,
// and xt calls with code page 1252 tags.
#include "StderrCapture.h"

#include "encoder/HandleTable.h"
#include "include/Veltraenc.h"
#include "platform/ModulePath.h"
#include "support/TestDisc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace ts = testsupport;

namespace
{

// The decoded samples of an Ogg file (oggdec: raw 16-bit little-endian).
std::vector<int16_t> Decode(const std::string& ogg)
{
    auto r = ts::Run({"/usr/bin/oggdec", "-Q", "-R", "-o", ogg + ".raw", ogg});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto bytes = ts::ReadBytes(ogg + ".raw");
    std::vector<int16_t> pcm(bytes.size() / 2);
    if (!pcm.empty()) std::memcpy(pcm.data(), bytes.data(), pcm.size() * 2);
    return pcm;
}

double Rms(const std::vector<int16_t>& pcm)
{
    double sum = 0;
    for (int16_t s : pcm)
        sum += double(s) * s;
    return pcm.empty() ? 0 : std::sqrt(sum / double(pcm.size()));
}

void ExpectValidOgg(const std::string& path)
{
    auto info = ts::Run({"/usr/bin/ogginfo", path});
    EXPECT_EQ(info.exitCode, 0) << info.out << info.err;
    EXPECT_EQ(info.out.find("WARNING"), std::string::npos) << info.out;
}

} // namespace

TEST(VorbisRip, TheConsoleRipperWritesOggFilesOfTheTracksExactLength)
{
    ts::ProgramFolder folder;
    ts::TempDir dir, out;
    discimage::DiscLayout layout;
    layout.audioLengths = {227, 40}; // 3 s and 2 frames; 40 frames
    layout.audio = discimage::Audio::Tones;
    const auto disc = ts::WriteTestDisc(dir, layout);
    auto run = ts::RunCli(folder, disc, {"--out", out.path(), "--format", "ogg"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("as Ogg Vorbis"), std::string::npos) << run.out;

    for (size_t i = 0; i < layout.audioLengths.size(); ++i) {
        const std::string name = "Track 0" + std::to_string(i + 1);
        const std::string ogg = out / (name + ".ogg");
        SCOPED_TRACE(name);
        ExpectValidOgg(ogg);
        EXPECT_EQ(ts::Run({"/usr/bin/vorbiscomment", "-l", ogg}).out, "TITLE=" + name + "\n");
        const auto decoded = Decode(ogg);
        ASSERT_EQ(decoded.size() * 2, size_t{layout.audioLengths[i]} * CD_FRAME_BYTES);
        // The tones came through, not silence or noise.
        const auto track = disc.Track(i);
        std::vector<int16_t> original(track.size() / 2);
        std::memcpy(original.data(), track.data(), original.size() * 2);
        EXPECT_NEAR(Rms(decoded), Rms(original), Rms(original) * 0.1);
        EXPECT_GT(Rms(original), 100);
    }
}

TEST(VorbisRip, TagsOfCodePage1252ReachTheFileAsUtf8AndNoId3TagIsWritten)
{
    veltraenc::HandleTable::Instance().ResetForTests();
    plat::SetProgramFolderOverride(ts::BinDir()); // where libvorb_enc.so is
    ts::TempDir out;
    const StreamHandle h = xtGetEncoder(XT_ENCODER_VORB);
    ASSERT_NE(h, 0);
    xtSetAsciiOption(h, ID3_TITLE, "Caf\xE9 \x80");
    xtSetAsciiOption(h, ID3_ALBUM, "Album");
    xtSetAsciiOption(h, ID3_ARTIST, "Beyonc\xE9");
    xtSetAsciiOption(h, ID3_YEAR, "2024");
    EXPECT_EQ(xtSetIntOption(h, ID3_LEVEL, 1), 1);
    EXPECT_EQ(xtSetIntOption(h, VORBIS_PARAM_5_ALIAS, 96), 1);
    xtSetAsciiOption(h, OUTPUT_DIR, out.path().c_str());
    xtSetAsciiOption(h, FILE_NAME, "tags");
    ASSERT_EQ(xtOpenOutputFile(h), 1);
    ASSERT_EQ(xtInit(h), 1);

    // One second and a few samples, in pieces that split chunks and sample pairs.
    std::vector<int16_t> pcm(2 * 44103);
    for (size_t i = 0; i < pcm.size(); ++i) {
        const size_t frame = i / 2; // both channels alike
        pcm[i] = static_cast<int16_t>(9000 * std::sin(double(frame) * 0.0627));
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(pcm.data());
    const int total = static_cast<int>(pcm.size() * 2);
    for (int at = 0; at < total; at += 999)
        xtEncode(h, bytes + at, std::min(999, total - at));
    xtFlush(h);
    EXPECT_EQ(xtClose(h), 1);
    plat::SetProgramFolderOverride("");

    const std::string ogg = out / "tags.ogg";
    ExpectValidOgg(ogg);
    EXPECT_EQ(ts::Run({"/usr/bin/vorbiscomment", "-l", ogg}).out,
              "TITLE=Caf\xC3\xA9 \xE2\x82\xAC\nALBUM=Album\nARTIST=Beyonc\xC3\xA9\nDATE=2024\n");
    EXPECT_NE(ts::Run({"/usr/bin/ogginfo", ogg}).out.find("Nominal bitrate: 96.000000"),
              std::string::npos);
    EXPECT_EQ(Decode(ogg).size(), pcm.size());
    const auto file = ts::ReadBytes(ogg);
    ASSERT_GT(file.size(), 128u);
    EXPECT_NE(std::string(file.end() - 128, file.end() - 125), "TAG");
}
