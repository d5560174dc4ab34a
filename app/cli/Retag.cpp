#include "Retag.h"

#include "CliOptions.h"
#include "MetadataStep.h"
#include "RipCue.h"

#include "app/verify/FileChecksum.h"
#include "app/verify/RipLog.h"
#include "app/verify/RipLogReader.h"

#include "Veltraenc.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;

namespace
{

struct Item {
    const verify::LoggedTrack* logged = nullptr;
    std::string path;    // where the file is now
    std::string newPath; // where the template puts it; empty: it keeps its name
    bool usable = false; // present and as the rip wrote it
};

std::string WithoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool ReadText(const std::string& path, std::string& text)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

bool WriteText(const std::string& path, const std::string& text)
{
    // Beside the old one first, so a failed write leaves the old file whole.
    const std::string temporary = path + ".new";
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (file) file.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (file) file.close();
    std::error_code ec;
    if (file) fs::rename(temporary, path, ec);
    if (!file || ec) {
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

// The logged path below the folder the log is in now (the rip named it from its output
// folder); empty for a path outside that folder, which a re-tag leaves alone.
std::string Resolve(const std::string& logged, const std::string& outputFolder,
                    const std::string& folder)
{
    const std::string base = WithoutTrailingSlash(outputFolder) + "/";
    if (outputFolder.empty() || logged.compare(0, base.size(), base) != 0) return {};
    const fs::path relative(logged.substr(base.size()));
    for (const fs::path& part : relative)
        if (part == ".." || relative.is_absolute()) return {};
    return folder + "/" + relative.string();
}

// The stream type that writes files with this extension.
int EncoderTypeOfFile(const std::string& path)
{
    std::string ext = fs::path(path).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".wav") return XT_ENCODER_WAV;
    if (ext == ".mp3") {
        for (int type : {XT_ENCODER_LAME2, XT_ENCODER_LAME1, XT_ENCODER_BLADE})
            if (xtEncoderAvail(type)) return type;
        return 0;
    }
    return ext == ".ogg"    ? XT_ENCODER_VORB
           : ext == ".flac" ? XT_ENCODER_FLAC
           : ext == ".opus" ? XT_ENCODER_OPUS
                            : 0;
}

// The path the encoder library composes for the name, as a rip with the look-up would write it.
std::string ComposedPath(const std::string& folder, const lookup::OutputName& name,
                         const std::string& oldPath)
{
    const int type = EncoderTypeOfFile(oldPath);
    const int h = type ? xtGetEncoder(type) : 0;
    if (h == 0) return {};
    char fileName[261] = {};
    std::snprintf(fileName, sizeof fileName, "%.260s", name.name.c_str());
    xtSetAsciiOption(h, OUTPUT_DIR, folder.c_str());
    xtSetAsciiOption(h, FILE_NAME, fileName);
    xtSetAsciiOption(h, FILE_DIR, name.folder.c_str());
    char path[1024] = {};
    const bool ok = xtGetOutputFileName(h, path, sizeof path) != 0;
    xtClose(h);
    return ok ? path : std::string();
}

// Removes the folders a moved file leaves empty, up to the log's folder.
void RemoveEmptyFolders(const std::string& file, const std::string& folder)
{
    const std::string top = WithoutTrailingSlash(fs::path(folder).lexically_normal().string());
    std::error_code ec;
    for (fs::path dir = fs::path(file).parent_path().lexically_normal();
         dir.string().compare(0, top.size() + 1, top + "/") == 0; dir = dir.parent_path())
        if (!fs::is_empty(dir, ec) || ec || !fs::remove(dir, ec)) return;
}

class Retagger
{
public:
    Retagger(const CliOptions& options, std::FILE* out, std::FILE* err)
        : options_(options), out_(out), err_(err)
    {
    }
    int Run();

private:
    int Fail(int status, const std::string& message)
    {
        std::fprintf(err_, "veltracdrip-cli: %s\n", message.c_str());
        return status;
    }
    void Skip(Item& item, const std::string& why)
    {
        std::fprintf(err_, "veltracdrip-cli: Track %02d: %s %s; left as it is\n",
                     item.logged->number, item.path.c_str(), why.c_str());
        item.usable = false;
        ++skipped_;
    }
    void CheckFiles();
    void PlanNames();
    void Move();
    void Tag();
    bool RewriteLog();
    bool RewriteCue();
    std::string Relative(const std::string& path) const
    {
        return path.compare(0, folder_.size() + 1, folder_ + "/") == 0
                   ? path.substr(folder_.size() + 1)
                   : path;
    }

    const CliOptions& options_;
    std::FILE* out_;
    std::FILE* err_;
    std::string logPath_, folder_;
    verify::LoggedRip rip_;
    MetadataOptions meta_;
    lookup::DiscMetadata disc_;
    int firstTrack_ = 1;
    std::vector<Item> items_;
    int skipped_ = 0;
};

int Retagger::Run()
{
    logPath_ = options_.retag;
    std::string text, error;
    if (!ReadText(logPath_, text))
        return Fail(2, logPath_ + " cannot be read: " + std::strerror(errno));
    if (!verify::ReadRipLog(text, rip_, error)) return Fail(2, logPath_ + ": " + error);
    if (!rip_.toc)
        return Fail(2, logPath_ + " holds no table of contents (a log of an older version); " +
                           "nothing renamed");
    folder_ = WithoutTrailingSlash(fs::path(logPath_).parent_path().string());
    if (folder_.empty()) folder_ = ".";

    meta_ = MetadataOptionsOf(options_.lookup);
    std::optional<lookup::DiscMetadata> disc =
        LookUpForConsole(*rip_.toc, meta_, out_, err_, nullptr, "nothing renamed");
    if (!disc) return 1;
    disc_ = std::move(*disc);
    firstTrack_ = QueryOf(*rip_.toc).firstTrack;

    CheckFiles();
    if (items_.empty()) return Fail(1, logPath_ + " names no ripped audio file; nothing renamed");
    PlanNames();
    Move();
    Tag();
    // Both follow the files that moved, even when one of them cannot be written.
    const bool cue = RewriteCue();
    const bool log = RewriteLog();
    std::fflush(out_);
    return skipped_ || !cue || !log ? 1 : 0;
}

void Retagger::CheckFiles()
{
    for (const verify::LoggedTrack& t : rip_.tracks) {
        const verify::TocTrack* toc = rip_.toc->Find(t.number);
        if (t.file.empty() || !t.complete || !toc || toc->data) continue;
        Item item;
        item.logged = &t;
        item.path = Resolve(t.file, rip_.outputFolder, folder_);
        std::error_code ec;
        if (item.path.empty()) {
            item.path = t.file;
            Skip(item, "is not in the log's output folder");
        } else if (!fs::is_regular_file(item.path, ec)) {
            Skip(item, "is missing");
        } else if (t.fileChecksum.empty()) {
            Skip(item, "has no checksum in the log (a log of an older version)");
        } else {
            std::string error;
            const std::string sum = verify::FileChecksum(item.path, error);
            if (sum != t.fileChecksum)
                Skip(item, sum.empty() ? error
                                       : "has changed since the rip (its checksum is not "
                                         "the log's)");
            else
                item.usable = true;
        }
        items_.push_back(item);
    }
}

void Retagger::PlanNames()
{
    // Every audio track the metadata covers, as the rip names them, so the names and their
    // " (2)" suffixes come out the same.
    std::vector<int> numbers;
    for (const verify::TocTrack& t : rip_.toc->tracks)
        if (!t.data && disc_.Track(t.number, firstTrack_)) numbers.push_back(t.number);
    lookup::NameLimits limits;
    limits.outputFolderBytes = folder_.size();
    limits.extensionBytes = 4;
    const std::vector<lookup::OutputName> names = lookup::BuildOutputNames(
        meta_.nameTemplate.empty() ? lookup::kDefaultNameTemplate : meta_.nameTemplate, disc_,
        firstTrack_, numbers, limits);
    for (Item& item : items_) {
        if (!item.usable) continue;
        for (size_t i = 0; i < numbers.size() && i < names.size(); ++i)
            if (numbers[i] == item.logged->number)
                item.newPath = ComposedPath(folder_, names[i], item.path);
        if (item.newPath == item.path) item.newPath.clear();
    }
}

void Retagger::Move()
{
    std::set<std::string> leaving;
    for (const Item& item : items_)
        if (item.usable && !item.newPath.empty()) leaving.insert(item.path);
    std::error_code ec;
    // A file in the way that is not moving itself is never overwritten.
    for (bool again = true; again;) {
        again = false;
        for (Item& item : items_) {
            if (!item.usable || item.newPath.empty()) continue;
            if (fs::exists(item.newPath, ec) && !leaving.count(item.newPath)) {
                Skip(item, "would replace " + item.newPath);
                // A file that stays may be in the way of another.
                leaving.erase(item.path);
                again = true;
            }
        }
    }
    // In two steps, so files that swap names never meet.
    std::vector<Item*> moving;
    for (Item& item : items_) {
        if (!item.usable || item.newPath.empty()) continue;
        fs::rename(item.path, item.path + ".retag", ec);
        if (ec)
            Skip(item, "cannot be renamed: " + ec.message());
        else
            moving.push_back(&item);
    }
    for (Item* item : moving) {
        const std::string temporary = item->path + ".retag";
        fs::create_directories(fs::path(item->newPath).parent_path(), ec);
        fs::rename(temporary, item->newPath, ec);
        if (ec) {
            fs::rename(temporary, item->path, ec);
            Skip(*item, "cannot be renamed to " + item->newPath);
            continue;
        }
        std::fprintf(out_, "Track %02d: %s -> %s\n", item->logged->number,
                     Relative(item->path).c_str(), Relative(item->newPath).c_str());
        RemoveEmptyFolders(item->path, folder_);
        item->path = item->newPath;
    }
}

void Retagger::Tag()
{
    Naming naming;
    naming.disc = disc_;
    naming.firstTrack = firstTrack_;
    if (meta_.cover) naming.cover = FetchFrontCover(disc_, meta_, err_);
    for (const Item& item : items_) {
        if (!item.usable || !disc_.Track(item.logged->number, firstTrack_)) continue;
        TagRippedFile(item.path, naming, item.logged->number, err_);
        naming.folders.insert(fs::path(item.path).parent_path().string());
    }
    WriteCoverFiles(naming, err_);
}

bool Retagger::RewriteCue()
{
    const std::string cue = folder_ + "/" + fs::path(logPath_).stem().string() + ".cue";
    std::error_code ec;
    if (!fs::exists(cue, ec)) return true;
    std::vector<CueFile> files;
    for (const Item& item : items_)
        files.push_back(CueFile{item.logged->number, item.path});
    if (WriteText(cue, RipCueText(*rip_.toc, files, folder_, &disc_, firstTrack_))) {
        std::fprintf(out_, "CUE sheet: %s\n", cue.c_str());
        return true;
    }
    Fail(1, cue + " could not be rewritten");
    return false;
}

bool Retagger::RewriteLog()
{
    const std::string base = rip_.outputFolder.empty() ? folder_ : rip_.outputFolder;
    for (const Item& item : items_)
        if (item.usable && !item.newPath.empty())
            rip_.lines[item.logged->fileLine] = verify::RipLogLine(
                "  ", "File", WithoutTrailingSlash(base) + "/" + Relative(item.path));
    std::string text;
    for (const std::string& line : rip_.lines)
        text += line + "\n";
    if (WriteText(logPath_, text)) {
        std::fprintf(out_, "Rip log: %s\n", logPath_.c_str());
        return true;
    }
    Fail(1, logPath_ + " could not be rewritten");
    return false;
}

} // namespace

int RunRetag(const CliOptions& options, std::FILE* out, std::FILE* err)
{
    return Retagger(options, out, err).Run();
}
