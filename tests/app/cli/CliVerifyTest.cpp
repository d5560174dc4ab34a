// The console ripper's verified rips end to end: checksums of generated discs against an
// independent computation, AccurateRip responses written for them, the CUE sheet read back
// into the disc's layout, and the rip log.
#include "app/verify/DiscIds.h"
#include "app/verify/TocFiles.h"
#include "support/LocalHttpServer.h"
#include "support/TestDisc.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <zlib.h>

using namespace testsupport;

namespace
{

struct Sums {
    uint32_t crc = 0, v1 = 0, v2 = 0;
};

// AccurateRip as its published description has it, one sample at a time.
Sums Reference(const std::vector<uint8_t>& pcm, bool first, bool last)
{
    Sums s;
    s.crc = static_cast<uint32_t>(crc32(0, pcm.data(), static_cast<uInt>(pcm.size())));
    const uint64_t n = pcm.size() / 4;
    for (uint64_t i = 0; i < n; ++i) {
        const uint64_t m = i + 1;
        if ((first && m < 2940) || (last && m + 2940 > n)) continue;
        const uint64_t sample = uint64_t{pcm[i * 4]} | uint64_t{pcm[i * 4 + 1]} << 8 |
                                uint64_t{pcm[i * 4 + 2]} << 16 | uint64_t{pcm[i * 4 + 3]} << 24;
        const uint64_t p = sample * m;
        s.v1 += static_cast<uint32_t>(p);
        s.v2 += static_cast<uint32_t>(p) + static_cast<uint32_t>(p >> 32);
    }
    return s;
}

std::string Line(const Sums& s)
{
    char text[96];
    std::snprintf(text, sizeof text, "CRC32 %08X  AccurateRip v1 %08X  v2 %08X", s.crc, s.v1, s.v2);
    return text;
}

struct Disc : TestDisc {
    verify::DiscToc toc;
    std::vector<Sums> sums; // per audio track
};

Disc MakeDisc(const TempDir& dir, const discimage::DiscLayout& layout,
              const std::string& faults = "")
{
    Disc d{WriteTestDisc(dir, layout, faults), {}, {}};
    std::vector<verify::TocTrack> tracks;
    for (size_t i = 0; i < d.image.trackStarts.size(); ++i)
        tracks.push_back({layout.firstTrack + static_cast<int>(i), d.image.trackStarts[i],
                          i >= layout.audioLengths.size()});
    d.toc = verify::MakeDiscToc(tracks, d.image.leadout).value();
    const size_t n = layout.audioLengths.size();
    for (size_t i = 0; i < n; ++i)
        d.sums.push_back(Reference(d.Pattern(i), i == 0, i + 1 == n));
    return d;
}

discimage::DiscLayout Layout(std::vector<uint32_t> lengths, uint32_t data = 0, int first = 1)
{
    discimage::DiscLayout l;
    l.audioLengths = std::move(lengths);
    l.dataLength = data;
    l.firstTrack = first;
    return l;
}

// A response file: blocks of (confidence, checksum) per track, headed by the disc's id.
void WriteDbar(const std::string& path, const verify::AccurateRipDiscId& id,
               const std::vector<std::vector<std::pair<uint8_t, uint32_t>>>& blocks)
{
    std::string bytes;
    auto le32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>(v >> (8 * i));
    };
    for (const auto& block : blocks) {
        bytes += static_cast<char>(block.size());
        le32(id.id1);
        le32(id.id2);
        le32(id.freedb);
        for (const auto& [confidence, checksum] : block) {
            bytes += static_cast<char>(confidence);
            le32(checksum);
            le32(0);
        }
    }
    WriteFile(path, bytes);
}

std::string Hex(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08x", v);
    return text;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// How many frames of each track the simulated drive was asked for, from its read log.
std::vector<uint64_t> FramesReadPerTrack(const std::string& log,
                                         const std::vector<uint32_t>& starts)
{
    std::vector<uint64_t> frames(starts.size());
    std::istringstream lines(ReadFile(log));
    long long first = 0;
    uint32_t count = 0;
    while (lines >> first >> count)
        for (long long f = first; f < first + count; ++f) {
            size_t t = 0;
            while (t + 1 < starts.size() && f >= starts[t + 1])
                ++t;
            if (f >= starts[0]) ++frames[t];
        }
    return frames;
}

} // namespace

TEST(CliVerify, VerifyOnlyReportsIdsAndChecksumsAndWritesNoAudio)
{
    ProgramFolder folder;
    TempDir dir, out;
    const Disc disc = MakeDisc(dir, Layout({40, 100, 60}));
    // No MP3 encoder and the settings' MP3 format: reading to verify needs none.
    for (const char* lib : {"liblame_enc.so", "libbladeenc.so"})
        std::remove((folder / lib).c_str());
    auto run = RunCli(folder, disc, {"--out", out.path(), "--verify-only", "--log"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(Contains(run.out, "CDDB disc id: " + Hex(verify::FreedbDiscId(disc.toc)) + "\n"))
        << run.out;
    EXPECT_TRUE(
        Contains(run.out, "MusicBrainz disc id: " + verify::MusicBrainzDiscId(disc.toc) + "\n"));
    EXPECT_TRUE(Contains(run.out,
                         "AccurateRip disc id: " + verify::AccurateRipId(disc.toc)->Name() + "\n"));
    for (size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(Contains(run.out, Line(disc.sums[i]))) << i << run.out;
    // Only the log is written.
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(out.path()))
        files.push_back(e.path().filename());
    EXPECT_EQ(files, std::vector<std::string>{Hex(verify::FreedbDiscId(disc.toc)) + ".log"});

    auto cue = RunCli(folder, disc, {"--out", out.path(), "--verify-only", "--cue"});
    EXPECT_EQ(cue.exitCode, 2);
    EXPECT_TRUE(Contains(cue.err, "--cue describes the audio files"));
    EXPECT_EQ(RunCli(folder, disc, {"--accuraterip"}).exitCode, 2);

    // Without the new options the ripper says nothing about checksums.
    auto plain = RunCli(folder, disc, {"--out", out.path(), "--format", "wav"});
    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_FALSE(Contains(plain.out, "CRC32"));
    EXPECT_FALSE(Contains(plain.out, "disc id"));
}

TEST(CliVerify, AResponseWithTheDiscsChecksumsVerifiesEveryTrack)
{
    ProgramFolder folder;
    TempDir dir, out;
    const Disc disc = MakeDisc(dir, Layout({40, 100, 60}));
    const auto id = verify::AccurateRipId(disc.toc).value();
    const auto& s = disc.sums;

    // v1 submissions in one block, v2 in another, as the database keeps them.
    const std::string good = dir / ("dBAR-" + id.Name() + ".bin");
    WriteDbar(
        good, id,
        {{{5, s[0].v1}, {6, s[1].v1}, {7, s[2].v1}}, {{2, s[0].v2}, {3, s[1].v2}, {4, s[2].v2}}});
    auto run =
        RunCli(folder, disc, {"--out", out.path(), "--format", "wav", "--accuraterip", good});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(Contains(run.out, "AccurateRip response: " + good + " (2 blocks)\n")) << run.out;
    EXPECT_TRUE(
        Contains(run.out, Line(s[0]) + "  accurate (v1 confidence 5, v2 confidence 2, of 5)\n"))
        << run.out;
    EXPECT_TRUE(
        Contains(run.out, Line(s[2]) + "  accurate (v1 confidence 7, v2 confidence 4, of 7)\n"));
    EXPECT_TRUE(Contains(run.out, "3 of 3 tracks accurate\n"));

    // Track 2 known to the database with other audio only.
    const std::string other = dir / "other.bin";
    WriteDbar(
        other, id,
        {{{5, s[0].v1}, {9, s[1].v1 ^ 1}, {7, s[2].v1}}, {{2, s[0].v2}, {3, 0}, {4, s[2].v2}}});
    auto bad = RunCli(folder, disc,
                      {"--out", out.path(), "--verify-only", "--accuraterip", other, "--log"});
    EXPECT_EQ(bad.exitCode, 3) << bad.out << bad.err;
    EXPECT_TRUE(Contains(
        bad.out, Line(s[1]) + "  NOT accurate (2 entries, none matches, highest confidence 9)\n"))
        << bad.out;
    EXPECT_TRUE(Contains(bad.out, "2 of 3 tracks accurate\n"));
    const std::string log = ReadFile(out / (Hex(id.freedb) + ".log"));
    EXPECT_TRUE(Contains(log, "NOT accurate")) << log;
    EXPECT_TRUE(Contains(log, "; 2 of 3 verified accurate\n")) << log;

    // A response for another disc, and a broken one, are refused before anything is read.
    TempDir empty;
    auto another = id;
    another.id2 += 1;
    const std::string wrongDisc = dir / "wrong.bin";
    WriteDbar(wrongDisc, another, {{{5, s[0].v1}, {6, s[1].v1}, {7, s[2].v1}}});
    auto refused = RunCli(folder, disc,
                          {"--out", empty.path(), "--format", "wav", "--accuraterip", wrongDisc});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(Contains(refused.err, "is the AccurateRip response for " + another.Name() +
                                          ", not for this disc (" + id.Name() + ")"))
        << refused.err;
    WriteFile(dir / "short.bin", ReadFile(good).substr(0, 20));
    auto truncated =
        RunCli(folder, disc,
               {"--out", empty.path(), "--format", "wav", "--accuraterip", dir / "short.bin"});
    EXPECT_EQ(truncated.exitCode, 2);
    EXPECT_TRUE(Contains(truncated.err, "ends inside block 1")) << truncated.err;
    EXPECT_TRUE(std::filesystem::is_empty(empty.path()));
}

TEST(CliVerify, TheCueSheetGivesBackTheDiscsLayout)
{
    ProgramFolder folder;
    TempDir dir, out;
    // Tracks numbered from 3, one of a single frame, and an Enhanced CD's data track.
    const Disc disc = MakeDisc(dir, Layout({40, 1, 75, 200}, 300, 3));
    auto run = RunCli(folder, disc, {"--out", out.path(), "--format", "wav", "--cue"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const std::string cuePath = out / (Hex(verify::FreedbDiscId(disc.toc)) + ".cue");
    EXPECT_TRUE(Contains(run.out, "CUE sheet: " + cuePath + "\n")) << run.out;

    const auto cue = tocfiles::ParseCue(ReadFile(cuePath));
    char discid[32];
    std::snprintf(discid, sizeof discid, "DISCID %08X", verify::FreedbDiscId(disc.toc));
    EXPECT_EQ(cue.remarks.at(0), discid);
    EXPECT_EQ(cue.remarks.at(1),
              "ACCURATERIPID " + verify::AccurateRipId(disc.toc)->Name().substr(5));
    // The data track is no audio and is not in the sheet.
    ASSERT_EQ(cue.tracks.size(), 4u);
    uint32_t filesBefore = 0;
    for (size_t i = 0; i < cue.tracks.size(); ++i) {
        const auto& t = cue.tracks[i];
        EXPECT_EQ(t.number, 3 + static_cast<int>(i));
        EXPECT_TRUE(t.audio);
        EXPECT_EQ(t.fileType, "WAVE");
        EXPECT_EQ(t.pregap, 0u);
        // INDEX 01 on the disc: the files before this one, then the position in this one.
        EXPECT_EQ(filesBefore + t.index01, disc.image.trackStarts[i]) << t.number;
        const auto pcm = tocfiles::WavPcm(out / t.file);
        ASSERT_EQ(pcm.size() % 2352, 0u);
        filesBefore += static_cast<uint32_t>(pcm.size() / 2352);
    }
    EXPECT_EQ(filesBefore, disc.image.trackStarts[3] + 200);
}

TEST(CliVerify, TheLogRecordsReadsRetriesErrorsAndChecksums)
{
    ProgramFolder folder;
    TempDir dir, out;
    const Disc disc = MakeDisc(dir, Layout({60, 60, 60}), "retry 70 2\nerror 150 2\n");
    auto run = RunCli(folder, disc, {"--out", out.path(), "--format", "wav", "--log", "--cue"});
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_TRUE(Contains(run.err, "Track 03: not ripped: read error")) << run.err;
    EXPECT_TRUE(Contains(run.out, "Track 03     no checksums: read error\n")) << run.out;
    const std::string log = ReadFile(out / (Hex(verify::FreedbDiscId(disc.toc)) + ".log"));
    auto field = [](const std::string& label, const std::string& value) {
        char line[64];
        std::snprintf(line, sizeof line, "%-28s", (label + ":").c_str());
        return std::string(line) + " " + value + "\n";
    };
    EXPECT_TRUE(Contains(log, field("Drive", "image " + disc.image.descriptorPath))) << log;
    EXPECT_TRUE(Contains(log, field("Read offset correction", "none (0 samples)")));
    EXPECT_TRUE(Contains(log, field("Output format", "WAV")));
    EXPECT_TRUE(
        Contains(log, field("AccurateRip disc id", verify::AccurateRipId(disc.toc)->Name())));
    EXPECT_TRUE(Contains(log, field("MusicBrainz disc id", verify::MusicBrainzDiscId(disc.toc))));
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08X", disc.sums[0].crc);
    EXPECT_TRUE(Contains(log, "\nTrack 01\n  " + field("File", out / "Track 01.wav"))) << log;
    EXPECT_TRUE(
        Contains(log, "  " + field("Read", "complete, 0 re-reads") + "  " + field("CRC32", crc)))
        << log;
    std::snprintf(crc, sizeof crc, "%08X", disc.sums[1].v2);
    EXPECT_TRUE(Contains(log, "  " + field("AccurateRip v2", crc)));
    // Track 2's reads met re-reads and still gave the disc's audio.
    const size_t t2 = log.find("\nTrack 02\n");
    ASSERT_NE(t2, std::string::npos);
    const std::string track2 = log.substr(t2, log.find("\nTrack 03\n") - t2);
    EXPECT_FALSE(Contains(track2, field("Read", "complete, 0 re-reads"))) << track2;
    EXPECT_TRUE(Contains(track2, "re-reads\n")) << track2;
    std::snprintf(crc, sizeof crc, "%08X", disc.sums[1].crc);
    EXPECT_TRUE(Contains(track2, field("CRC32", crc))) << track2;
    const std::string track3 = log.substr(log.find("\nTrack 03\n"));
    EXPECT_TRUE(Contains(track3, field("Read", "read error, 0 re-reads"))) << track3;
    EXPECT_TRUE(Contains(track3, field("Checksums", "none: the track was not read whole")));
    EXPECT_TRUE(Contains(log, "\n2 of 3 tracks read completely\n"));

    // The failed track's partial file is not in the sheet.
    const auto cue =
        tocfiles::ParseCue(ReadFile(out / (Hex(verify::FreedbDiscId(disc.toc)) + ".cue")));
    ASSERT_EQ(cue.tracks.size(), 2u);
    EXPECT_EQ(cue.tracks[1].file, "Track 02.wav");
}

TEST(CliVerify, AnEnhancedCdsLastAudioTrackEndsTheAccurateRipRange)
{
    ProgramFolder folder;
    TempDir dir;
    const Disc disc = MakeDisc(dir, Layout({30, 50}, 100));
    auto run = RunCli(folder, disc, {"--verify-only"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    // The data track counts for the ids; track 2 is the disc's last audio track.
    EXPECT_TRUE(Contains(run.out,
                         "AccurateRip disc id: " + verify::AccurateRipId(disc.toc)->Name() + "\n"));
    EXPECT_TRUE(Contains(run.out, "CDDB disc id: " + Hex(verify::FreedbDiscId(disc.toc)) + "\n"));
    EXPECT_EQ(verify::FreedbDiscId(disc.toc) & 0xFF, 3u);
    EXPECT_TRUE(Contains(run.out, "Track 02     " + Line(disc.sums[1]) + "\n")) << run.out;
    EXPECT_FALSE(Contains(run.out, "Data Track"));
}

TEST(CliVerify, TheLookupFetchesTheResponseOnceAndVerifiesOfflineAfter)
{
    ProgramFolder folder;
    TempDir dir, out, served, cache;
    const Disc disc = MakeDisc(dir, Layout({40, 100, 60}));
    const auto id = verify::AccurateRipId(disc.toc).value();
    const auto& s = disc.sums;
    std::filesystem::create_directories(std::filesystem::path(served / id.Path()).parent_path());
    WriteDbar(served / id.Path(), id, {{{5, s[0].v1}, {6, s[1].v1}, {7, s[2].v1}}});
    const std::string cli = folder.program("veltracdrip-cli");
    const std::map<std::string, std::string> env = {{"XDG_CACHE_HOME", cache.path()}};
    auto rip = [&](const std::string& url) {
        return testsupport::Run({cli, "--image", disc.image.descriptorPath, "--out", out.path(),
                                 "--verify-only", "--accuraterip-lookup", "--accuraterip-url", url},
                                env);
    };

    testsupport::LocalHttpServer server(served.path());
    auto online = rip(server.url());
    ASSERT_EQ(online.exitCode, 0) << online.out << online.err;
    EXPECT_TRUE(Contains(online.out, "AccurateRip lookup: found in the database\n")) << online.out;
    EXPECT_TRUE(Contains(online.out, "3 of 3 tracks accurate\n")) << online.out;
    server.Stop();
    auto offline = rip(server.url());
    ASSERT_EQ(offline.exitCode, 0) << offline.out << offline.err;
    EXPECT_TRUE(Contains(offline.out, "AccurateRip lookup: found in the cache")) << offline.out;
    EXPECT_TRUE(Contains(offline.out, "3 of 3 tracks accurate\n")) << offline.out;

    // A disc the database does not know: one line, and the rip goes on unverified.
    testsupport::LocalHttpServer empty(out.path());
    WriteFile(folder / "VeltraCDRipper.ini", "[Lookup]\nAccurateRipUrl=" + empty.url() + "\n");
    std::filesystem::remove_all(cache.path() + "/veltracdrip");
    auto unknown = testsupport::Run({cli, "--image", disc.image.descriptorPath, "--out", out.path(),
                                     "--verify-only", "--accuraterip-lookup"},
                                    env);
    EXPECT_EQ(unknown.exitCode, 0) << unknown.out << unknown.err;
    EXPECT_TRUE(
        Contains(unknown.out, "AccurateRip lookup: not in database; the rip goes on unverified\n"))
        << unknown.out;
    EXPECT_FALSE(Contains(unknown.out, "tracks accurate"));
    EXPECT_EQ(testsupport::Run({cli, "--accuraterip-lookup", "--accuraterip", "x.bin"}).exitCode,
              2);
}

TEST(CliVerify, BurstThenVerifyReadsAgainOnlyWhatDoesNotMatch)
{
    ProgramFolder folder;
    TempDir dir, out;
    // Track 2 (frames 40-139) is flaky; track 3 (140-199) has a frame wrong every time.
    const Disc disc = MakeDisc(dir, Layout({40, 100, 60}), "flaky 60-61 20\nbad 150\n");
    ASSERT_EQ(disc.image.trackStarts[1], 40u);
    const auto id = verify::AccurateRipId(disc.toc).value();
    const auto& s = disc.sums;
    const std::string response = dir / "r.bin";
    WriteDbar(response, id, {{{5, s[0].v1}, {6, s[1].v1}, {7, s[2].v1}}});
    const std::string cli = folder.program("veltracdrip-cli");
    const std::string reads = dir / "reads.log";
    auto run = testsupport::Run({cli, "--image", disc.image.descriptorPath, "--out", out.path(),
                                 "--format", "wav", "--verify", "--accuraterip", response, "--log"},
                                {{"VELTRARIP32_READ_LOG", reads}});
    EXPECT_EQ(run.exitCode, 3) << run.out << run.err;
    // The matching track is read once; the other two again in secure mode, at least twice.
    const auto read = FramesReadPerTrack(reads, disc.image.trackStarts);
    EXPECT_EQ(read[0], 40u);
    EXPECT_GE(read[1], 3 * 100u);
    EXPECT_GE(read[2], 3 * 60u);
    EXPECT_FALSE(Contains(run.out, "Track 01: no AccurateRip match")) << run.out;
    EXPECT_TRUE(Contains(run.out, "Track 02: no AccurateRip match in the burst rip")) << run.out;
    EXPECT_TRUE(Contains(run.out, "Track 03: no AccurateRip match in the burst rip")) << run.out;
    EXPECT_TRUE(Contains(run.out, "=> accurate (confidence 5)\n")) << run.out;
    EXPECT_TRUE(Contains(run.out, Line(s[1]) + "  accurate (v1 confidence 6, of 6)  => accurate "
                                               "after re-read\n"))
        << run.out;
    EXPECT_TRUE(Contains(run.out, "=> NOT accurate, secure: exact\n")) << run.out;
    const std::string log = ReadFile(out / (Hex(id.freedb) + ".log"));
    EXPECT_TRUE(Contains(log, "burst rip: accurate (confidence 5)")) << log;
    EXPECT_TRUE(Contains(log, "read again in secure mode: accurate after re-read")) << log;

    // A disc whose every track matches is read once, frame by frame.
    TempDir dir3, out3;
    const Disc clean = MakeDisc(dir3, Layout({40, 100, 60}));
    const auto& c = clean.sums;
    WriteDbar(dir3 / "r.bin", verify::AccurateRipId(clean.toc).value(),
              {{{5, c[0].v1}, {6, c[1].v1}, {7, c[2].v1}}});
    auto once = testsupport::Run({cli, "--image", clean.image.descriptorPath, "--out", out3.path(),
                                  "--format", "wav", "--verify", "--accuraterip", dir3 / "r.bin"},
                                 {{"VELTRARIP32_READ_LOG", dir3 / "reads.log"}});
    EXPECT_EQ(once.exitCode, 0) << once.out << once.err;
    EXPECT_EQ(FramesReadPerTrack(dir3 / "reads.log", clean.image.trackStarts),
              (std::vector<uint64_t>{40, 100, 60}));

    // A track no two reads agree on; the database does not know the disc.
    TempDir dir2, out2;
    const Disc noisy = MakeDisc(dir2, Layout({40, 100}), "flaky 50 588\n");
    WriteDbar(dir2 / "r.bin", verify::AccurateRipId(noisy.toc).value(), {{{1, 1}, {1, 2}}});
    auto inexact =
        testsupport::Run({cli, "--image", noisy.image.descriptorPath, "--out", out2.path(),
                          "--format", "wav", "--verify", "--accuraterip", dir2 / "r.bin"});
    EXPECT_EQ(inexact.exitCode, 1) << inexact.out << inexact.err;
    EXPECT_TRUE(Contains(inexact.out, "=> inexact\n")) << inexact.out;
    EXPECT_TRUE(Contains(inexact.out, "Track 02: inexact: 588 suspicious samples at 0:00:00 "
                                      "(sample 5880) to 0:00:00 (sample 6467)"))
        << inexact.out;
}
