#include "CueImage.h"

#include "TextForms.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace rip32
{

namespace
{

namespace fs = std::filesystem;

constexpr int64_t kMaxSheetBytes = 1 << 20;
constexpr int64_t kMaxDiscFrames = (99 * 60 + 59) * 75 + 74;

std::string Msf(int64_t frames)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(frames / 4500),
                  static_cast<long long>(frames / 75 % 60), static_cast<long long>(frames % 75));
    return text;
}

std::string Two(int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

bool IsFile(const fs::path& p)
{
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The data file a FILE line names, relative to the sheet's folder. Sheets written where
// backslashes part folders and case does not count are found as they were meant; nothing else
// is guessed. Empty when there is no such file.
std::string FindDataFile(const fs::path& folder, const std::string& name, SheetEncoding encoding)
{
    std::vector<std::string> names{name};
    if (name.find('\\') != std::string::npos) {
        std::string slashed = name;
        std::replace(slashed.begin(), slashed.end(), '\\', '/');
        names.push_back(slashed);
    }
    if (encoding == SheetEncoding::Legacy) names.push_back(Latin1ToUtf8(name));
    for (const std::string& n : names) {
        const fs::path p = fs::path(n).is_absolute() ? fs::path(n) : folder / n;
        if (IsFile(p)) return p.string();
    }
    for (const std::string& n : names) {
        const fs::path p = fs::path(n).is_absolute() ? fs::path(n) : folder / n;
        std::error_code ec;
        std::string found;
        int matches = 0;
        for (fs::directory_iterator it(p.parent_path(), ec), end; !ec && it != end;
             it.increment(ec)) {
            if (SameIgnoringCase(it->path().filename().string(), p.filename().string()) &&
                IsFile(it->path())) {
                found = it->path().string();
                ++matches;
            }
        }
        if (matches == 1) return found;
    }
    return {};
}

void PutAddress(uint8_t* out, int64_t lsn, uint32_t form)
{
    const auto v = static_cast<uint32_t>(lsn);
    if (form == 1) {
        const uint32_t abs = v + 150;
        out[0] = 0;
        out[1] = static_cast<uint8_t>(abs / 4500);
        out[2] = static_cast<uint8_t>((abs / 75) % 60);
        out[3] = static_cast<uint8_t>(abs % 75);
    } else {
        out[0] = static_cast<uint8_t>(v >> 24);
        out[1] = static_cast<uint8_t>(v >> 16);
        out[2] = static_cast<uint8_t>(v >> 8);
        out[3] = static_cast<uint8_t>(v);
    }
}

} // namespace

bool IsCueSheetPath(const std::string& path)
{
    return path.size() > 4 && SameIgnoringCase(path.substr(path.size() - 4), ".cue");
}

std::unique_ptr<CueImage> CueImage::Open(const std::string& sheetPath, std::string& refusal)
{
    std::ifstream in(sheetPath, std::ios::binary);
    if (!in) {
        refusal = sheetPath + ": cannot be read: " + std::strerror(errno);
        return nullptr;
    }
    // Read in small steps: a sheet is a few kilobytes, and zeroing a buffer of the largest
    // size on every open cost a megabyte of fresh pages.
    std::string bytes;
    char chunk[16384];
    while (in && static_cast<int64_t>(bytes.size()) <= kMaxSheetBytes) {
        in.read(chunk, sizeof chunk);
        bytes.append(chunk, static_cast<size_t>(in.gcount()));
    }
    if (static_cast<int64_t>(bytes.size()) > kMaxSheetBytes) {
        refusal = sheetPath + ": too large for a cue sheet";
        return nullptr;
    }
    std::unique_ptr<CueImage> image(new CueImage);
    CueError error;
    if (!ParseCueSheet(bytes, image->sheet_, error)) {
        refusal = sheetPath + (error.line ? ", line " + std::to_string(error.line) : "") + ": " +
                  error.what;
        return nullptr;
    }
    if (!image->Lay(sheetPath, refusal)) return nullptr;
    return image;
}

bool CueImage::Lay(const std::string& sheetPath, std::string& refusal)
{
    auto refuse = [&](int line, const std::string& what) {
        refusal = sheetPath + ", line " + std::to_string(line) + ": " + what;
        return false;
    };
    for (const CueTrack& t : sheet_.tracks) {
        const std::string& m = t.mode;
        if (m != "AUDIO" && m.size() > 5 && m.compare(m.size() - 5, 5, "/2352") != 0)
            return refuse(t.line, "track " + Two(t.number) + " is " + m +
                                      ": only 2352-byte sectors are read from a disc image");
        if (m == "CDG") return refuse(t.line, "CD+G tracks are not read from a disc image");
    }

    const fs::path folder = fs::path(sheetPath).parent_path();
    std::vector<std::string> paths;
    for (const CueFile& f : sheet_.files) {
        const std::string path = FindDataFile(folder, f.name, sheet_.encoding);
        if (path.empty())
            return refuse(f.line, "the data file \"" + f.name + "\" does not exist" +
                                      (folder.empty() ? "" : " in " + folder.string()));
        std::string why;
        auto data = DataFile::Open(path, f.type, why);
        if (!data) return refuse(f.line, path + " " + why);
        if (data->frames() == 0) return refuse(f.line, path + " holds no audio");
        files_.push_back(std::move(data));
        paths.push_back(path);
        dataPaths_.push_back(path);
    }

    // Silence the files do not hold: a track's PREGAP before its first index, its POSTGAP
    // before the next track's first index (or at the end of the last file).
    struct Gap {
        size_t file;
        int64_t frame;
        int64_t length;
    };
    std::vector<Gap> gaps;
    for (size_t i = 0; i < sheet_.tracks.size(); ++i) {
        const CueTrack& t = sheet_.tracks[i];
        for (const CueIndex& x : t.indexes) {
            const int64_t frames = files_[x.file]->frames();
            if (x.frame >= frames)
                return refuse(x.line, "INDEX " + Two(x.number) + " of track " + Two(t.number) +
                                          " at " + Msf(x.frame) + " lies past the end of " +
                                          paths[x.file] + ", which holds " + Msf(frames));
        }
        const CueIndex& first = t.indexes.front();
        if (i == 0 && first.file != 0)
            return refuse(first.line, "the first track begins in " + paths[first.file] +
                                          ": the audio of the files before it is on no track");
        if (i > 0 && sheet_.tracks[i - 1].postgap)
            gaps.push_back({first.file, first.frame, sheet_.tracks[i - 1].postgap});
        if (t.pregap) gaps.push_back({first.file, first.frame, t.pregap});
    }
    if (sheet_.tracks.back().postgap)
        gaps.push_back({files_.size() - 1, files_.back()->frames(), sheet_.tracks.back().postgap});

    int64_t disc = 0;
    for (size_t f = 0; f < files_.size(); ++f) {
        int64_t pos = 0;
        for (const Gap& g : gaps) {
            if (g.file != f) continue;
            if (g.frame > pos) segments_.push_back({disc, g.frame - pos, static_cast<int>(f), pos});
            disc += g.frame - pos;
            pos = g.frame;
            segments_.push_back({disc, g.length, -1, 0});
            disc += g.length;
        }
        const int64_t frames = files_[f]->frames();
        if (frames > pos) segments_.push_back({disc, frames - pos, static_cast<int>(f), pos});
        disc += frames - pos;
    }
    leadout_ = disc;
    if (leadout_ > kMaxDiscFrames)
        return refuse(sheet_.files.back().line,
                      "the disc would last " + Msf(leadout_) + ", longer than a CD (99:59:74)");

    for (const CueTrack& t : sheet_.tracks) {
        const CueIndex& one = *std::find_if(t.indexes.begin(), t.indexes.end(),
                                            [](const CueIndex& x) { return x.number == 1; });
        int64_t start = -1;
        for (const Segment& s : segments_)
            if (s.file == static_cast<int>(one.file) && one.frame >= s.fileFrame &&
                one.frame < s.fileFrame + s.length)
                start = s.discStart + (one.frame - s.fileFrame);
        if (!tracks_.empty() && start <= tracks_.back().start)
            return refuse(one.line, "track " + Two(t.number) + " begins where track " +
                                        Two(tracks_.back().number) + " begins");
        uint8_t control = t.mode == "AUDIO" ? 0 : CD_TOC_CONTROL_DATA;
        for (const std::string& flag : t.flags) {
            if (flag == "DCP") control |= 0x02;
            if (flag == "PRE") control |= 0x01;
            if (flag == "4CH") control |= 0x08;
        }
        tracks_.push_back({t.number, start, control});
    }
    return true;
}

void CueImage::ReadToc(CDTocRecord& toc, uint32_t addressForm) const
{
    CDTocRecord out{};
    out.firstTrack = static_cast<uint8_t>(tracks_.front().number);
    out.lastTrack = static_cast<uint8_t>(tracks_.back().number);
    size_t n = 0;
    for (; n <= tracks_.size(); ++n) {
        const bool leadout = n == tracks_.size();
        CDTocDescriptor& d = out.descriptors[n];
        d.adrControl = static_cast<uint8_t>(0x10 | (leadout ? 0 : tracks_[n].control));
        d.trackNumber = leadout ? CD_TOC_LEADOUT : static_cast<uint8_t>(tracks_[n].number);
        PutAddress(d.address, leadout ? leadout_ : tracks_[n].start, addressForm);
    }
    const uint32_t length = 2 + 8u * static_cast<uint32_t>(n);
    out.dataLength[0] = static_cast<uint8_t>(length >> 8);
    out.dataLength[1] = static_cast<uint8_t>(length);
    toc = out;
}

bool CueImage::ReadFrames(int64_t first, uint32_t count, uint8_t* out)
{
    const int64_t end = first + count;
    int64_t f = first;
    while (f < end) {
        uint8_t* dest = out + (f - first) * CD_FRAME_BYTES;
        if (f < 0 || f >= leadout_) {
            const int64_t n = f < 0 ? std::min<int64_t>(end, 0) - f : end - f;
            std::memset(dest, 0, static_cast<size_t>(n) * CD_FRAME_BYTES);
            f += n;
            continue;
        }
        const auto s = std::prev(std::upper_bound(
            segments_.begin(), segments_.end(), f,
            [](int64_t frame, const Segment& seg) { return frame < seg.discStart; }));
        const int64_t n = std::min(end, s->discStart + s->length) - f;
        if (s->file < 0)
            std::memset(dest, 0, static_cast<size_t>(n) * CD_FRAME_BYTES);
        else if (!files_[static_cast<size_t>(s->file)]->Read(s->fileFrame + (f - s->discStart),
                                                             static_cast<uint32_t>(n), dest))
            return false;
        f += n;
    }
    return true;
}

} // namespace rip32
