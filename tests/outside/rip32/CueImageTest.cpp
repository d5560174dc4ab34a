// Cue images through the exported interface: the real sheets of the shared test suites (bad ones
// refused naming their line, good ones laid out as their data files imply and read from the
// right file and place), and the data formats read by their content or refused with a reason.
#include "CueSheet.h"
#include "Rip32Support.h"
#include "support/TestSupport.h"

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>
#include <unistd.h>

using namespace rip32test;
using testsupport::TempDir;

namespace
{

std::string Refusal()
{
    char text[512] = {};
    GetImageError(text, sizeof text);
    return text;
}

std::string CopyInto(const TempDir& dir, const std::string& sharedPath)
{
    const std::string to = dir / std::filesystem::path(sharedPath).filename().string();
    testsupport::WriteFile(to, testsupport::ReadFile(testsupport::SharedTestData() + sharedPath));
    return to;
}

std::vector<uint8_t> ReadDisc(CDHANDLE h, uint32_t start, uint32_t count)
{
    SectorBuffer buf(count);
    buf.Request(start, count);
    if (ReadCDAudioLBA(h, buf.header()) != 1) return {};
    return buf.Data();
}

} // namespace

TEST(CueImage, BadSheetsAreRefusedNamingTheirLine)
{
    const std::pair<const char*, int> sheets[] = {
        {"flac/bad.000.CATALOG_multiple.cue", 2},
        {"flac/bad.001.CATALOG_missing_number.cue", 1},
        {"flac/bad.002.CATALOG_number_too_long.cue", 1},
        {"flac/bad.003.CATALOG_not_13_digits.cue", 1},
        {"flac/bad.030.FLAGS_multiple.cue", 4},
        {"flac/bad.031.FLAGS_wrong_place_1.cue", 1},
        {"flac/bad.032.FLAGS_wrong_place_2.cue", 4},
        {"flac/bad.060.INDEX_wrong_place.cue", 2},
        {"flac/bad.061.INDEX_missing_number.cue", 4},
        {"flac/bad.062.INDEX_invalid_number_1.cue", 4},
        {"flac/bad.063.first_INDEX_not_0_or_1.cue", 4},
        {"flac/bad.064.INDEX_num_non_sequential.cue", 5},
        {"flac/bad.065.INDEX_num_out_of_range.cue", 104},
        {"flac/bad.066.INDEX_missing_offset.cue", 4},
        {"flac/bad.067.INDEX_illegal_offset.cue", 4},
        {"flac/bad.068.INDEX_cdda_illegal_offset.cue", 4},
        {"flac/bad.069.nonzero_first_INDEX.cue", 4},
        {"flac/bad.070.INDEX_offset_not_ascending_1.cue", 5},
        {"flac/bad.071.INDEX_offset_not_ascending_2.cue", 6},
        {"flac/bad.110.ISRC_multiple.cue", 4},
        {"flac/bad.111.ISRC_wrong_place_1.cue", 2},
        {"flac/bad.112.ISRC_wrong_place_2.cue", 4},
        {"flac/bad.113.ISRC_missing_number.cue", 3},
        {"flac/bad.114.ISRC_invalid_number.cue", 3},
        {"flac/bad.130.TRACK_missing_INDEX_01_1.cue", 2},
        {"flac/bad.131.TRACK_missing_INDEX_01_2.cue", 2},
        {"flac/bad.132.TRACK_missing_INDEX_01_3.cue", 2},
        {"flac/bad.133.TRACK_missing_INDEX_01_4.cue", 2},
        {"flac/bad.134.TRACK_missing_number.cue", 2},
        {"flac/bad.135.TRACK_invalid_number_1.cue", 2},
        {"flac/bad.136.TRACK_invalid_number_2.cue", 2},
        {"flac/bad.137.TRACK_cdda_out_of_range.cue", 2},
        {"flac/bad.138.TRACK_num_non_sequential.cue", 6},
        {"flac/bad.139.TRACK_missing_type.cue", 2},
        {"flac/bad.140.no_TRACKs.cue", 1},
        {"flac/bad.200.FLAC_leadin_missing_offset.cue", 1},
        {"flac/bad.201.FLAC_leadin_illegal_offset.cue", 1},
        {"flac/bad.202.FLAC_leadin_cdda_illegal_offset.cue", 1},
        {"flac/bad.230.FLAC_leadout_multiple.cue", 3},
        {"flac/bad.231.FLAC_leadout_missing_track.cue", 1},
        {"flac/bad.232.FLAC_leadout_illegal_track.cue", 1},
        {"flac/bad.233.FLAC_leadout_missing_offset.cue", 1},
        {"flac/bad.234.FLAC_leadout_illegal_offset.cue", 1},
        {"flac/bad.235.FLAC_leadout_offset_not_211680000.cue", 1},
        {"flac/good.005.quoted.isrc.cue", 1}, // names no data file: no disc image
        {"cuetools/Circuitry-1.cue", 1},      // placeholders
    };
    TempDir dir;
    // The data file they name is there and long enough: only the sheet can be at fault.
    discimage::WriteWavFile(dir / "z.wav", 5 * 4500,
                            [](uint32_t, uint8_t* out) { std::memset(out, 0, CD_FRAME_BYTES); });
    std::set<std::string> seen;
    for (const auto& [name, line] : sheets) {
        const std::string sheet = CopyInto(dir, "/cue/" + std::string(name));
        EXPECT_EQ(OpenImages({sheet}), 0u) << name;
        const std::string text = Refusal();
        EXPECT_EQ(text.rfind(sheet + ", line " + std::to_string(line) + ": ", 0), 0u)
            << name << ": " << text;
        seen.insert(text.substr(text.find(": ") + 2));
    }
    // Reasons, not one catch-all text.
    EXPECT_GT(seen.size(), 25u);
}

namespace
{

// What the test reads from a sheet by itself: each file's name and index positions (frames),
// and PREGAP lengths at the position of the track's first index.
struct SheetFile {
    std::string name;
    std::vector<int64_t> indexes;                     // every INDEX, in order
    std::vector<int64_t> ones;                        // INDEX 01 positions
    std::vector<std::pair<int64_t, int64_t>> pregaps; // (position, frames)
};

int64_t Frames(const std::smatch& m, int first)
{
    return (std::stoll(m[first]) * 60 + std::stoll(m[first + 1])) * 75 + std::stoll(m[first + 2]);
}

std::vector<SheetFile> ReadSheet(std::string text)
{
    if (text.size() > 1 && text[0] == '\xFF' && text[1] == '\xFE') {
        std::string ascii; // the shared UTF-16 sheet's keywords and file names are ASCII
        for (size_t i = 2; i + 1 < text.size(); i += 2)
            ascii += text[i + 1] == 0 ? text[i] : '?';
        text = ascii;
    }
    std::vector<SheetFile> files;
    const std::regex file(R"re(^\s*FILE\s+"([^"]+)")re");
    const std::regex index(R"re(^\s*INDEX\s+(\d+)\s+(\d+):(\d+):(\d+))re");
    const std::regex pregap(R"re(^\s*PREGAP\s+(\d+):(\d+):(\d+))re");
    int64_t pendingGap = 0;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        std::smatch m;
        if (std::regex_search(l, m, file)) {
            files.push_back({m[1], {}, {}, {}});
        } else if (std::regex_search(l, m, pregap)) {
            pendingGap = Frames(m, 1);
        } else if (std::regex_search(l, m, index)) {
            const int64_t at = Frames(m, 2);
            files.back().indexes.push_back(at);
            if (std::stoi(m[1]) == 1) files.back().ones.push_back(at);
            if (pendingGap) files.back().pregaps.push_back({at, pendingGap});
            pendingGap = 0;
        }
    }
    return files;
}

// Pattern audio near every index and at a file's end (disc frame numbers of a disc without
// gaps), zeros elsewhere: the file stays small, and every track edge is recognisable.
struct FileContent {
    uint32_t frames;
    uint32_t base; // pattern frame number of the file's first frame
    std::vector<int64_t> marks;
    bool Marked(uint32_t f) const
    {
        if (f + 4 >= frames) return true;
        for (int64_t m : marks)
            if (f + 4 >= m && f <= m + 4) return true;
        return false;
    }
    void Frame(uint32_t f, uint8_t* out) const
    {
        if (Marked(f))
            discimage::PatternFrame(base + f, out);
        else
            std::memset(out, 0, CD_FRAME_BYTES);
    }
};

void WriteSparseWav(const std::string& path, const FileContent& c)
{
    std::string header(44, '\0');
    auto le = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            header[at + i] = static_cast<char>(v >> (8 * i));
    };
    header.replace(0, 16, "RIFF....WAVEfmt ");
    le(4, 36 + c.frames * CD_FRAME_BYTES);
    le(16, 16);
    le(20, 1 | 2 << 16);
    le(24, 44100);
    le(28, 44100 * 4);
    le(32, 4 | 16 << 16);
    header.replace(36, 4, "data");
    le(40, c.frames * CD_FRAME_BYTES);
    testsupport::WriteFile(path, header);
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    std::vector<uint8_t> frame(CD_FRAME_BYTES);
    for (uint32_t f = 0; f < c.frames; ++f) {
        if (!c.Marked(f)) continue;
        c.Frame(f, frame.data());
        ASSERT_EQ(pwrite(fd, frame.data(), frame.size(), 44 + off_t{f} * CD_FRAME_BYTES),
                  static_cast<ssize_t>(frame.size()));
    }
    ASSERT_EQ(ftruncate(fd, 44 + off_t{c.frames} * CD_FRAME_BYTES), 0);
    ::close(fd);
}

} // namespace

TEST(CueImage, GoodSheetsGiveThePositionsTheirFilesImplyAndReadFromTheRightPlace)
{
    const char* sheets[] = {"cue/flac/good.000.cue",
                            "cue/flac/good.001.cue",
                            "cue/flac/good.002.dos_format.cue",
                            "cue/flac/good.003.missing_final_newline.cue",
                            "cue/flac/good.004.dos_format.missing_final_newline.cue",
                            "cue/flacon/simple.cue",
                            "cue/flacon/ru_cp1251.cue",
                            "cue/flacon/ru_utf8.cue",
                            "cue/flacon/ru_utf8_BOM.cue",
                            "cue/flacon/02_multi_file.cue",
                            "cue/libcue/multiple_files.cue",
                            "cue/libcue/multiple_files_pregap.cue",
                            "metadata/cdtext/cue-munger/eac-eurovision-2015-disc1.cue",
                            "metadata/cdtext/cue-munger/utf16-test.cue"};
    for (const char* name : sheets) {
        SCOPED_TRACE(name);
        TempDir dir;
        const std::string sheet = CopyInto(dir, std::string("/") + name);
        const auto files = ReadSheet(testsupport::ReadFile(sheet));
        ASSERT_FALSE(files.empty());
        // Each file runs two seconds past its last index; the disc is the files one after the
        // other, with a PREGAP's silence before its track.
        std::vector<uint32_t> starts;
        std::vector<std::pair<uint32_t, std::vector<uint8_t>>> expected; // disc frame, bytes
        uint32_t disc = 0, pattern = 0;
        for (const SheetFile& f : files) {
            FileContent c{static_cast<uint32_t>(f.indexes.empty() ? 150 : f.indexes.back() + 150),
                          pattern, f.indexes};
            const std::string path = dir / f.name;
            if (path.ends_with(".flac"))
                discimage::WriteFlacFile(path, c.frames,
                                         [&](uint32_t k, uint8_t* out) { c.Frame(k, out); });
            else
                WriteSparseWav(path, c);
            int64_t gaps = 0;
            for (int64_t one : f.ones) {
                for (const auto& [at, frames] : f.pregaps)
                    if (at <= one) gaps += frames;
                starts.push_back(static_cast<uint32_t>(disc + one + gaps));
                expected.push_back({starts.back(), discimage::PatternBytes(pattern + one, 2)});
            }
            for (const auto& [at, frames] : f.pregaps)
                disc += frames;
            disc += c.frames;
            pattern += c.frames;
            expected.push_back({disc - 2, discimage::PatternBytes(pattern - 2, 2)});
        }
        CDHANDLE h = OpenImages({sheet});
        ASSERT_NE(h, 0u) << Refusal();
        CDTocRecord toc{};
        ModifyCDParms(h, CD_PARM_TOC_ADDRESS_FORM, 0);
        ASSERT_EQ(ReadTOC(h, &toc), 1u);
        std::vector<uint32_t> ours;
        for (int i = 0; i <= toc.lastTrack - toc.firstTrack; ++i)
            ours.push_back(Address(toc.descriptors[i]));
        EXPECT_EQ(ours, starts);
        EXPECT_EQ(Address(toc.descriptors[toc.lastTrack - toc.firstTrack + 1]), disc);
        for (const auto& [at, bytes] : expected)
            EXPECT_EQ(ReadDisc(h, at, 2), bytes) << "frame " << at;
        CloseCDHandle(h);
    }
}

TEST(CueImage, CdTextAndRemLinesAreKeptInEveryEncoding)
{
    const std::string shared = testsupport::SharedTestData();
    rip32::CueSheet sheet;
    rip32::CueError error;
    ASSERT_TRUE(rip32::ParseCueSheet(
        testsupport::ReadFile(shared + "/metadata/cdtext/cue-munger/utf16-test.cue"), sheet, error))
        << error.line << " " << error.what;
    EXPECT_EQ(sheet.encoding, rip32::SheetEncoding::Utf16);
    ASSERT_EQ(sheet.tracks.size(), 12u);
    EXPECT_EQ(sheet.tracks[1].fields.at(0), (rip32::CueField{"TITLE", "Rich Girl"}));
    EXPECT_EQ(sheet.fields.at(0), (rip32::CueField{"REM", "GENRE Pop"}));

    ASSERT_TRUE(rip32::ParseCueSheet(
        testsupport::ReadFile(shared + "/metadata/cdtext/cue-munger/eac-eurovision-2015-disc1.cue"),
        sheet, error));
    EXPECT_EQ(sheet.fields.at(2), (rip32::CueField{"REM", "DISCID 170DCE14"}));
    EXPECT_EQ(sheet.tracks.at(0).fields.at(0), (rip32::CueField{"TITLE", "I'm Alive"}));
    // Track 2's INDEX 00 ends the first file, its INDEX 01 begins the second.
    EXPECT_EQ(sheet.tracks.at(1).indexes.at(0).file, 0u);
    EXPECT_EQ(sheet.tracks.at(1).indexes.at(1).file, 1u);

    const std::string utf8Title = "\xD0\x90\xD0\xBB\xD1\x8C\xD0\xB1\xD0\xBE\xD0\xBC"; // Альбом
    for (const char* name : {"ru_utf8.cue", "ru_utf8_BOM.cue", "ru_cp1251.cue"}) {
        ASSERT_TRUE(rip32::ParseCueSheet(testsupport::ReadFile(shared + "/cue/flacon/" + name),
                                         sheet, error))
            << name;
        const bool legacy = std::string(name) == "ru_cp1251.cue";
        EXPECT_EQ(sheet.encoding,
                  legacy ? rip32::SheetEncoding::Legacy : rip32::SheetEncoding::Utf8);
        EXPECT_EQ(sheet.fields.at(0), (rip32::CueField{"REM", "GENRE \"Rock & Roll\""}));
        EXPECT_EQ(sheet.fields.at(5).second, legacy ? "\xC0\xEB\xFC\xE1\xEE\xEC" : utf8Title);
    }

    ASSERT_TRUE(rip32::ParseCueSheet(
        "catalog \"1234567890123\"\nfile \"a.bin\" binary\ntrack 1 audio\nflags dcp pre\n"
        "isrc US-SM1-23-45678\nindex 1 0:0:0",
        sheet, error));
    EXPECT_EQ(sheet.catalog, "1234567890123");
    EXPECT_EQ(sheet.tracks.at(0).isrc, "USSM12345678");
    EXPECT_EQ(sheet.tracks.at(0).flags, (std::vector<std::string>{"DCP", "PRE"}));
}

TEST(CueImage, DataIsReadByItsContentOrRefusedWithAReason)
{
    TempDir dir;
    auto pattern = [](uint32_t f, uint8_t* out) { discimage::PatternFrame(f, out); };
    // A WAV file with a chunk before its data, named .flac and typed WAVE as real sheets do;
    // a big-endian MOTOROLA file; a FLAC file typed BINARY.
    discimage::WriteWavFile(dir / "plain.wav", 10, pattern);
    std::string wav = testsupport::ReadFile(dir / "plain.wav");
    const std::string list("LIST\x05\0\0\0hello\0", 14);
    wav.insert(36, list);
    wav[4] = static_cast<char>(wav[4] + list.size());
    testsupport::WriteFile(dir / "a.flac", wav);
    auto motorola = discimage::PatternBytes(10, 10);
    for (size_t i = 0; i < motorola.size(); i += 2)
        std::swap(motorola[i], motorola[i + 1]);
    testsupport::WriteFile(dir / "b.raw", std::string(motorola.begin(), motorola.end()));
    discimage::WriteFlacFile(dir / "c.bin", 10,
                             [&](uint32_t f, uint8_t* out) { pattern(20 + f, out); });
    testsupport::WriteFile(dir / "disc.cue", "FILE \"a.flac\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 "
                                             "00:00:00\nFILE \"b.raw\" MOTOROLA\n TRACK 02 AUDIO\n"
                                             "  INDEX 01 00:00:00\n  POSTGAP 00:00:05\n"
                                             "FILE \"c.bin\" BINARY\n TRACK 03 AUDIO\n  INDEX 01 "
                                             "00:00:03\n  POSTGAP 00:00:02\n");
    CDHANDLE h = OpenImages({dir / "disc.cue"});
    ASSERT_NE(h, 0u) << Refusal();
    // Track 2 runs into c.bin up to track 3's INDEX 01; its POSTGAP's silence comes there,
    // and track 3's at the end.
    std::vector<uint8_t> disc = discimage::PatternBytes(0, 23);
    disc.resize(28 * CD_FRAME_BYTES);
    const auto third = discimage::PatternBytes(23, 7);
    disc.insert(disc.end(), third.begin(), third.end());
    disc.resize(37 * CD_FRAME_BYTES);
    EXPECT_EQ(ReadDisc(h, 0, 37), disc);
    CDTocRecord toc{};
    ASSERT_EQ(ReadTOC(h, &toc), 1u);
    EXPECT_EQ(Address(toc.descriptors[2]), 28u);
    EXPECT_EQ(Address(toc.descriptors[3]), 37u);
    EXPECT_TRUE(ReadDisc(h, 30, 8).empty()); // past the lead-out
    CloseCDHandle(h);

    // What does not add up is refused with the FILE or INDEX line and the reason.
    std::string mono = testsupport::ReadFile(dir / "plain.wav");
    mono[22] = 1;
    testsupport::WriteFile(dir / "mono.wav", mono);
    testsupport::WriteFile(dir / "odd.bin", std::string(2352 * 2 + 1, '\0'));
    const std::pair<std::string, std::string> refused[] = {
        {"FILE \"mono.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
         "line 1: " + dir / "mono.wav" + " is a WAV file of another format (PCM, 1 channels"},
        {"FILE \"nothere.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
         "line 1: the data file \"nothere.wav\" does not exist"},
        {"FILE \"odd.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
         "line 1: " + dir / "odd.bin" + " holds 4705 bytes of audio, not a whole number"},
        {"FILE \"b.raw\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\n"
         "INDEX 01 00:00:10\n",
         "line 5: INDEX 01 of track 02 at 00:00:10 lies past the end of"},
        {"FILE \"b.raw\" BINARY\nTRACK 01 MODE1/2048\nINDEX 01 00:00:00\n",
         "line 2: track 01 is MODE1/2048: only 2352-byte sectors"},
        {"FILE \"b.raw\" AIFF\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", "is AIFF data, which is not"},
    };
    for (const auto& [text, why] : refused) {
        testsupport::WriteFile(dir / "bad.cue", text);
        EXPECT_EQ(OpenImages({dir / "bad.cue"}), 0u) << text;
        EXPECT_NE(Refusal().find(why), std::string::npos) << Refusal();
    }
    EXPECT_EQ(OpenImages({dir / "absent.cue"}), 0u);
    EXPECT_EQ(Refusal(), dir / "absent.cue" + ": no such file");
    // A new drive list forgets the last refusal.
    CDDriveList drives{};
    drives.capacity = CD_MAX_DRIVES;
    GetCDList(&drives);
    EXPECT_EQ(GetImageError(nullptr, 0), 0u);
}
