// The checksums a re-tag compares: the same before and after tags are added or grown, different
// when the audio changes; and the log's table of contents and files read back.
#include "app/verify/FileChecksum.h"
#include "app/verify/RipLog.h"
#include "app/verify/RipLogReader.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace testsupport;
using namespace verify;

namespace
{

std::string Sum(const TempDir& dir, const std::string& name, const std::string& bytes)
{
    WriteFile(dir / name, bytes);
    std::string error;
    return FileChecksum(dir / name, error);
}

// An ID3v2.4 tag of `size` bytes after its header, with a footer when asked.
std::string Id3v2(size_t size, bool footer)
{
    std::string tag = "ID3\x04";
    tag += '\0';
    tag += footer ? '\x10' : '\0';
    for (int shift : {21, 14, 7, 0})
        tag += static_cast<char>((size >> shift) & 0x7F);
    return tag + std::string(size, 'p') + (footer ? "3DI" + tag.substr(3, 7) : "");
}

// One Ogg page: its header (granule 0, sequence `seq`) and the packets' bodies, each ended.
std::string OggPage(int seq, const std::vector<std::string>& packets)
{
    std::string table, body;
    for (const std::string& p : packets) {
        for (size_t left = p.size();; left -= 255) {
            table += static_cast<char>(left >= 255 ? 255 : left);
            if (left < 255) break;
        }
        body += p;
    }
    std::string page = "OggS" + std::string(10, '\0') + "SRNO" + std::string(4, '\0');
    page[18] = static_cast<char>(seq);
    return page + std::string(4, 'c') + static_cast<char>(table.size()) + table + body;
}

} // namespace

TEST(FileChecksum, TagsLeaveItAloneAndTheAudioDoesNot)
{
    TempDir dir;
    const std::string mp3 = "\xFF\xFB\x90\x64" + std::string(2000, 'a');
    const std::string plain = Sum(dir, "a.mp3", mp3);
    EXPECT_EQ(plain.compare(0, 12, "audio CRC32 "), 0) << plain;
    const std::string id3v1 = "TAG" + std::string(125, 't');
    EXPECT_EQ(Sum(dir, "b.MP3", Id3v2(300, false) + mp3 + id3v1), plain);
    EXPECT_EQ(Sum(dir, "c.mp3", Id3v2(5000, true) + mp3), plain);
    std::string changed = mp3;
    changed[1000] ^= 1;
    EXPECT_NE(Sum(dir, "d.mp3", Id3v2(300, false) + changed), plain);

    // Ogg: a grown comment packet re-pages the headers and renumbers the audio pages.
    const std::string ident = "\x01vorbis" + std::string(23, 'i');
    const std::string setup = "\x05vorbis" + std::string(40, 's');
    const std::string audio = std::string(700, 'x');
    const std::string ogg =
        OggPage(0, {ident}) + OggPage(1, {"\x03vorbis short", setup}) + OggPage(2, {audio, "y"});
    const std::string sum = Sum(dir, "a.ogg", ogg);
    EXPECT_EQ(Sum(dir, "b.ogg",
                  OggPage(0, {ident}) + OggPage(1, {"\x03vorbis" + std::string(600, 'c')}) +
                      OggPage(2, {setup}) + OggPage(3, {audio, "y"})),
              sum);
    EXPECT_NE(
        Sum(dir, "c.ogg",
            OggPage(0, {ident}) + OggPage(1, {"\x03vorbis", setup}) + OggPage(2, {audio, "z"})),
        sum);
    std::string error;
    WriteFile(dir / "cut.opus", ogg.substr(0, ogg.size() - 1));
    EXPECT_EQ(FileChecksum(dir / "cut.opus", error), "");
    EXPECT_FALSE(error.empty());

    // FLAC: the MD5 of STREAMINFO; WAV: the data chunk's CRC32 (of "abcd": ED82CD11).
    std::string flac = "fLaC" + std::string("\x80\0\0\x22", 4) + std::string(18, '\0');
    for (int i = 0; i < 16; ++i)
        flac += static_cast<char>(0xF0 + i);
    EXPECT_EQ(Sum(dir, "a.flac", flac), "FLAC MD5 f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff");
    const std::string wav = "RIFF" + std::string(4, '\0') + "WAVEfmt " +
                            std::string("\x02\0\0\0", 4) + "ff" + "data" +
                            std::string("\x04\0\0\0", 4) + "abcd";
    EXPECT_EQ(Sum(dir, "a.wav", wav), "PCM CRC32 ED82CD11");
    EXPECT_EQ(Sum(dir, "b.wav", "RIFF"), "");
}

TEST(RipLogReader, ReadsBackTheTocAndTheFiles)
{
    const std::optional<DiscToc> toc = MakeDiscToc({{1, 0, false, true, false},
                                                    {2, 19654, false, false, true},
                                                    {3, 36387, true, false, false}},
                                                   73020);
    ASSERT_TRUE(toc);
    RipLogInfo info;
    info.heading = "VeltraCDRip console ripper: rip log of today";
    info.settings = {{"Output folder", "/music: the best"}};
    info.disc = {{"Table of contents", TocLogText(*toc)}};
    LogTrack t;
    t.number = 2;
    t.name = "Track 02";
    t.file = "/music: the best/Track 02.flac";
    t.fileChecksum = "FLAC MD5 00";
    t.status = "complete";
    info.tracks = {t};
    t.number = 3;
    t.file.clear();
    t.status = "read error";
    info.tracks.push_back(t);

    LoggedRip rip;
    std::string error;
    ASSERT_TRUE(ReadRipLog(RipLogText(info), rip, error)) << error;
    ASSERT_TRUE(rip.toc);
    EXPECT_EQ(TocLogText(*rip.toc), "01 0 DCP, 02 19654 PRE, 03 36387 data; lead-out 73020");
    EXPECT_EQ(rip.outputFolder, "/music: the best");
    ASSERT_EQ(rip.tracks.size(), 2u);
    EXPECT_EQ(rip.tracks[0].file, "/music: the best/Track 02.flac");
    EXPECT_EQ(rip.tracks[0].fileChecksum, "FLAC MD5 00");
    EXPECT_TRUE(rip.tracks[0].complete);
    EXPECT_EQ(rip.lines[rip.tracks[0].fileLine].find("  File:"), 0u);
    EXPECT_EQ(rip.tracks[1].file, "");
    EXPECT_FALSE(rip.tracks[1].complete);

    EXPECT_FALSE(ParseTocLogText("01 0, 02 x; lead-out 9"));
    EXPECT_FALSE(ReadRipLog("not a log\n", rip, error));
}
