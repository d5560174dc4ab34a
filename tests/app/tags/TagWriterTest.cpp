// Tags written by TagLib, read back by other programs: mutagen-inspect (MP3, Opus), vorbiscomment
// (Ogg Vorbis), metaflac (FLAC). Files are made by the command-line encoders.
#include "app/tags/TagWriter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tags;
using testsupport::TempDir;

namespace
{

lookup::DiscMetadata Album()
{
    lookup::DiscMetadata d;
    d.title = "Caf\xC3\xA9 / Night";
    d.artist = "Ma\xC3\xAF\x61";
    d.year = "2010";
    d.genre = "Pop";
    d.discNumber = 2;
    d.discTotal = 3;
    d.musicBrainzReleaseId = "2124ca6e-260e-4b45-b6f4-f95704e0d361";
    d.musicBrainzReleaseGroupId = "0b8a0b9e-6a09-3a3a-9d4a-2d3f1d0a7b11";
    d.musicBrainzDiscId = "J9dlQIdlpgKkwDn.nHo8SlQ0ks4-";
    d.tracks = {{"One", "", "", "", ""},
                {"\xE2\x80\x9CTwo\xE2\x80\x9D", "Guest", "GBAHT1000123",
                 "b9ad642e-b012-41c7-b72a-42cf4911f9ff", ""}};
    return d;
}

// A short tone in the format the extension names, made by the usual command-line encoder.
std::string Encode(const TempDir& dir, const std::string& ext)
{
    const std::string wav = dir / "tone.wav";
    if (!testsupport::FileExists(wav)) {
        const auto r = testsupport::Run({"/usr/bin/sox", "-n", "-r", "44100", "-c", "2", "-b", "16",
                                         wav, "synth", "0.3", "sine", "440"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
    }
    std::string out = dir / ("t." + ext);
    std::vector<std::string> argv;
    if (ext == "mp3") argv = {"/usr/bin/lame", "--quiet", wav, out};
    if (ext == "ogg") argv = {"/usr/bin/oggenc", "-Q", "-o", out, wav};
    if (ext == "flac") argv = {"/usr/bin/flac", "-s", "-f", "-o", out, wav};
    if (ext == "opus") argv = {"/usr/bin/opusenc", "--quiet", wav, out};
    const auto r = testsupport::Run(argv);
    EXPECT_EQ(r.exitCode, 0) << argv[0] << ": " << r.err;
    return out;
}

std::string Written(const std::string& path, const Cover& cover = {})
{
    std::string error;
    EXPECT_EQ(WriteTags(path, TrackTagValues(Album(), 2, 1), cover, error), TagResult::Written)
        << error;
    return path;
}

void ExpectLines(const std::string& text, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        EXPECT_NE(text.find(line + "\n"), std::string::npos) << line << " not in:\n" << text;
}

} // namespace

TEST(TagWriter, Mp3GetsId3v24AndKeepsItsId3v11Tag)
{
    TempDir dir;
    const std::string mp3 = Encode(dir, "mp3");
    // The encoder library's ID3v1.1 tag: title, artist, album, year, comment, track 2, genre.
    std::string v1 = "TAG" + std::string(125, '\0');
    v1.replace(3, 5, "Track");
    v1[125] = 0;
    v1[126] = 2;
    v1[127] = static_cast<char>(255);
    testsupport::WriteFile(mp3, testsupport::ReadFile(mp3) + v1);
    const long long before = testsupport::FileSize(mp3);

    const Cover cover{"image/jpeg", std::string("\xFF\xD8\xFF\xE0 not really a JPEG", 22)};
    Written(mp3, cover);
    const std::string bytes = testsupport::ReadFile(mp3);
    EXPECT_EQ(bytes.substr(bytes.size() - 128), v1);
    EXPECT_EQ(bytes.find("TAG", bytes.size() - 256), bytes.size() - 128); // one ID3v1 tag only
    EXPECT_EQ(bytes.substr(0, 4), std::string("ID3\x04", 4));
    EXPECT_GT(testsupport::FileSize(mp3), before);

    const auto r = testsupport::Run({"/usr/bin/mutagen-inspect", mp3});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectLines(r.out, {"TIT2=\xE2\x80\x9CTwo\xE2\x80\x9D", "TPE1=Guest",
                        "TPE2=Ma\xC3\xAF\x61",
                        "TALB=Caf\xC3\xA9 / Night", "TRCK=2/2", "TPOS=2/3", "TDRC=2010", "TCON=Pop",
                        "TSRC=GBAHT1000123",
                        "TXXX=MusicBrainz Album Id=2124ca6e-260e-4b45-b6f4-f95704e0d361",
                        "TXXX=MusicBrainz Release Group Id=0b8a0b9e-6a09-3a3a-9d4a-2d3f1d0a7b11",
                        "TXXX=MusicBrainz Disc Id=J9dlQIdlpgKkwDn.nHo8SlQ0ks4-"});
    EXPECT_NE(r.out.find("UFID=http://musicbrainz.org="), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("APIC="), std::string::npos);

    // Written again (a re-tag): no frame twice, the ID3v1.1 tag still as it was.
    Written(mp3);
    const auto again = testsupport::Run({"/usr/bin/mutagen-inspect", mp3});
    EXPECT_EQ(again.out.find("TIT2="), again.out.rfind("TIT2="));
    EXPECT_EQ(again.out.find("MusicBrainz Disc Id"), again.out.rfind("MusicBrainz Disc Id"));
    const std::string after = testsupport::ReadFile(mp3);
    EXPECT_EQ(after.substr(after.size() - 128), v1);
}

TEST(TagWriter, VorbisCommentsInOggFlacAndOpus)
{
    TempDir dir;
    const std::vector<std::string> expected = {
        "TITLE=\xE2\x80\x9CTwo\xE2\x80\x9D",
        "ARTIST=Guest",
        "ALBUMARTIST=Ma\xC3\xAF\x61",
        "ALBUM=Caf\xC3\xA9 / Night",
        "TRACKNUMBER=2",
        "TRACKTOTAL=2",
        "DISCNUMBER=2",
        "DISCTOTAL=3",
        "DATE=2010",
        "GENRE=Pop",
        "ISRC=GBAHT1000123",
        "MUSICBRAINZ_ALBUMID=2124ca6e-260e-4b45-b6f4-f95704e0d361",
        "MUSICBRAINZ_RELEASEGROUPID=0b8a0b9e-6a09-3a3a-9d4a-2d3f1d0a7b11",
        "MUSICBRAINZ_TRACKID=b9ad642e-b012-41c7-b72a-42cf4911f9ff",
        "MUSICBRAINZ_DISCID=J9dlQIdlpgKkwDn.nHo8SlQ0ks4-"};
    const Cover cover{"image/png", "\x89PNG fake"};

    auto r = testsupport::Run({"/usr/bin/vorbiscomment", "-l", Written(Encode(dir, "ogg"))});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectLines(r.out, expected);
    // Tagged again as a track without ISRC and recording: nothing of the first tagging stays.
    std::string error;
    ASSERT_EQ(WriteTags(dir / "t.ogg", TrackTagValues(Album(), 1, 1), {}, error),
              TagResult::Written);
    r = testsupport::Run({"/usr/bin/vorbiscomment", "-l", dir / "t.ogg"});
    ExpectLines(r.out, {"TITLE=One", "ARTIST=Ma\xC3\xAF"
                                     "a"});
    for (const char* gone : {"\nISRC=", "\nMUSICBRAINZ_TRACKID=", "Two"})
        EXPECT_EQ(("\n" + r.out).find(gone), std::string::npos) << gone << r.out;

    r = testsupport::Run(
        {"/usr/bin/metaflac", "--export-tags-to=-", Written(Encode(dir, "flac"), cover)});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectLines(r.out, expected);
    r = testsupport::Run({"/usr/bin/metaflac", "--list", "--block-type=PICTURE", dir / "t.flac"});
    EXPECT_NE(r.out.find("MIME type: image/png"), std::string::npos) << r.out;

    r = testsupport::Run({"/usr/bin/mutagen-inspect", Written(Encode(dir, "opus"))});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectLines(r.out, expected);
}

TEST(TagWriter, UntaggableAndBrokenFiles)
{
    TempDir dir;
    std::string error;
    testsupport::WriteFile(dir / "a.wav", "RIFF");
    EXPECT_EQ(WriteTags(dir / "a.wav", {{"TITLE", "x"}}, {}, error), TagResult::NotTaggable);
    testsupport::WriteFile(dir / "b.flac", "not a flac file");
    EXPECT_EQ(WriteTags(dir / "b.flac", {{"TITLE", "x"}}, {}, error), TagResult::Failed);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(WriteTags(dir / "missing.ogg", {{"TITLE", "x"}}, {}, error), TagResult::Failed);

    // Nothing unknown is written.
    const TagValues bare = TrackTagValues(lookup::DiscMetadata{}, 1, 1);
    EXPECT_EQ(bare.size(), 1u);
    EXPECT_EQ(bare.at("TRACKNUMBER"), "1");
}
