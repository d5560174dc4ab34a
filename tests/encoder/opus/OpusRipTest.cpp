// Ogg Opus end to end: a generated disc ripped by the console ripper, decoded to exactly each
// track's length; tags and options through the xt calls; checked with opusinfo and opusdec.
#include "discimage/DiscImage.h"
#include "encoder/HandleTable.h"
#include "include/Veltraenc.h"
#include "platform/ModulePath.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ts = testsupport;

namespace
{

// opusinfo's report; it must pass the file.
std::string Info(const std::string& opus)
{
    auto info = ts::Run({"/usr/bin/opusinfo", opus});
    EXPECT_EQ(info.exitCode, 0) << info.out << info.err;
    EXPECT_EQ(info.out.find("WARNING"), std::string::npos) << info.out;
    return info.out;
}

// The stereo sample pairs opusdec decodes, at the rate the header records.
size_t DecodedPairs(const std::string& opus)
{
    auto r = ts::Run({"/usr/bin/opusdec", "--quiet", "--force-wav", opus, opus + ".wav"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto wav = ts::ReadBytes(opus + ".wav");
    if (wav.size() < 44) return 0;
    EXPECT_EQ(wav[24] | wav[25] << 8 | wav[26] << 16, 44100) << "decoded at the original rate";
    return (wav.size() - 44) / 4;
}

} // namespace

TEST(OpusRip, EveryTrackDecodesToExactlyItsLengthWithItsTags)
{
    ts::ProgramFolder folder;
    ts::TempDir dir, out;
    discimage::DiscLayout layout;
    layout.audioLengths = {1, 27, 28, 55};
    layout.audio = discimage::Audio::Tones;
    const auto image = discimage::WriteDiscImage(layout, dir / "disc");
    auto run = ts::Run({folder.program("veltracdrip-cli"), "--image", image.descriptorPath, "--out",
                        out.path(), "--format", "opus"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("as Opus"), std::string::npos) << run.out;
    for (size_t i = 0; i < layout.audioLengths.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        const std::string opus = out / ("Track 0" + number + ".opus");
        SCOPED_TRACE(opus);
        const std::string info = Info(opus);
        EXPECT_NE(info.find("\tTITLE=Track 0" + number + "\n\tTRACKNUMBER=" + number + "\n"),
                  std::string::npos)
            << info;
        EXPECT_NE(info.find("Original sample rate: 44100 Hz"), std::string::npos);
        EXPECT_EQ(DecodedPairs(opus), size_t{layout.audioLengths[i]} * 588);
    }
}

TEST(OpusXt, TagsAreUtf8TheBitrateHasItsRangeAndVbrCanBeSwitchedOff)
{
    veltraenc::HandleTable::Instance().ResetForTests();
    plat::SetProgramFolderOverride(ts::BinDir()); // where libopus_enc.so is
    ts::TempDir out;
    std::vector<int16_t> pcm(2 * 44100 * 2);
    for (size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<int16_t>(9000 * std::sin(double(i / 2) * 0.0627));
    for (int vbr : {1, 0}) {
        SCOPED_TRACE(vbr);
        const StreamHandle h = xtGetEncoder(XT_ENCODER_OPUS);
        ASSERT_NE(h, 0);
        EXPECT_STREQ(xtGetExtension(h), "opus");
        EXPECT_EQ(xtSetIntOption(h, OPUS_BITRATE, 5), 0);
        EXPECT_EQ(xtSetIntOption(h, OPUS_BITRATE, 511), 0);
        EXPECT_EQ(xtSetIntOption(h, OPUS_BITRATE, 65536 + 160), 0);
        EXPECT_EQ(xtSetIntOption(h, OPUS_BITRATE, 96), 1);
        EXPECT_EQ(xtSetIntOption(h, OPUS_VBR, vbr), 1);
        EXPECT_EQ(xtSetIntOption(h, FLAC_LEVEL, 5), 0);
        EXPECT_EQ(xtSetIntOption(h, ID3_LEVEL, 1), 1);
        xtSetAsciiOption(h, ID3_TITLE, "Caf\xE9 \x80");
        xtSetAsciiOption(h, ID3_YEAR, "1999");
        xtSetAsciiOption(h, OUTPUT_DIR, out.path().c_str());
        xtSetAsciiOption(h, FILE_NAME, vbr ? "vbr" : "cbr");
        ASSERT_EQ(xtOpenOutputFile(h), 1);
        ASSERT_EQ(xtInit(h), 1);
        const auto* bytes = reinterpret_cast<const unsigned char*>(pcm.data());
        const int total = static_cast<int>(pcm.size() * 2);
        for (int at = 0; at < total; at += 4096)
            xtEncode(h, bytes + at, std::min(4096, total - at));
        xtFlush(h);
        EXPECT_EQ(xtClose(h), 1);

        const std::string opus = out / (vbr ? "vbr.opus" : "cbr.opus");
        const std::string info = Info(opus);
        EXPECT_NE(info.find("\tTITLE=Caf\xC3\xA9 \xE2\x82\xAC\n\tDATE=1999\n"), std::string::npos)
            << info;
        EXPECT_EQ(info.find("hard-CBR") != std::string::npos, vbr == 0) << info;
        EXPECT_EQ(DecodedPairs(opus), pcm.size() / 2);
        const auto file = ts::ReadBytes(opus);
        EXPECT_NE(std::string(file.end() - 128, file.end() - 125), "TAG");
    }
    plat::SetProgramFolderOverride("");
}
