#include "ConsoleRipper.h"

#include "ConsoleProgress.h"
#include "MetadataStep.h"
#include "VerifiedRip.h"

#include "app/cd/Drive.h"
#include "app/rip/RipCommand.h"
#include "app/rip/RipJob.h"
#include "app/shell/CurrentSettings.h"

#include "Veltraenc.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>

namespace
{

const char kUsage[] =
    "usage: veltracdrip-cli [options]\n"
    "Rips the audio tracks of the disc in the first CD drive that answers, one file per track.\n"
    "\n"
    "  --list               only list the tracks\n"
    "  --tracks LIST        rip only these rows of the list, e.g. 1,3-5 (default: every audio\n"
    "                       track; a data track is ripped only when named here)\n"
    "  --image PATH         use a disc image (cue/bin or cdrdao toc) instead of a drive\n"
    "  --out DIR            output folder (default: Path in VeltraCDRipper.ini, else the\n"
    "                       program's folder); not saved\n"
    "  --format wav|mp3|ogg output format (default: Encode in VeltraCDRipper.ini)\n"
    "  --overwrite          overwrite existing files without asking; without it the question\n"
    "                       is asked on the terminal, and with no terminal the track is skipped\n"
    "  --cue                write a CUE sheet of the ripped tracks, <CDDB disc id>.cue, into\n"
    "                       the output folder (one FILE per track)\n"
    "  --log                write a rip log, <CDDB disc id>.log, into the output folder\n"
    "  --accuraterip FILE   verify every ripped audio track against this AccurateRip database\n"
    "                       response (the dBAR-NNN-XXXXXXXX-XXXXXXXX-XXXXXXXX.bin file of the\n"
    "                       disc; nothing is fetched from the network)\n"
    "  --verify-only        read the tracks and report their checksums (and, with --accuraterip,\n"
    "                       whether they are accurate) without writing audio files\n"
    "  --lookup             look the disc up (MusicBrainz, then gnudb) and name and tag the\n"
    "                       files after what is found\n"
    "  --release N          with --lookup: take the Nth release found (default 1)\n"
    "  --name TEMPLATE      with --lookup: file names from %t (track number), %n (title), %a\n"
    "                       (track artist), %A (album artist), %d (album), %y (year); \"/\"\n"
    "                       makes folders (default: NameFormat in [Lookup], else \"%A/%d/%t %n\")\n"
    "  --musicbrainz-url URL, --gnudb-url URL\n"
    "                       the servers asked (default: MusicBrainzUrl and GnudbUrl in [Lookup])\n"
    "  --cover              with --lookup: embed the release's front cover and write cover.jpg\n"
    "  --help               show this text\n"
    "\n"
    "Files are named after the tracks (\"Track 05.wav\"). Ctrl-C cancels the track being ripped;\n"
    "its file keeps what was ripped so far. Disc images named in VELTRARIP32_IMAGES (a\n"
    "':'-separated list) come before real drives. The exit status is 0 when every track was\n"
    "ripped, 1 when one or more were not, 2 for a bad command line, an unusable format or an\n"
    "AccurateRip response that cannot be used for the disc, 3 when every track was ripped but\n"
    "one or more audio tracks did not match the AccurateRip response.\n";

std::atomic<bool> g_interrupted{false};

void OnInterrupt(int)
{
    g_interrupted.store(true);
}

bool Interrupted()
{
    return g_interrupted.load();
}

// Parses "1,3-5" into row numbers; false on anything else.
bool ParseRows(const std::string& text, std::set<int>& rows)
{
    if (text.empty() || text.back() == ',') return false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t comma = text.find(',', pos);
        if (comma == std::string::npos) comma = text.size();
        const std::string item = text.substr(pos, comma - pos);
        int a = 0, b = 0;
        char extra = 0;
        if (std::sscanf(item.c_str(), "%d-%d%c", &a, &b, &extra) == 2) {
        } else if (std::sscanf(item.c_str(), "%d%c", &a, &extra) == 1) {
            b = a;
        } else {
            return false;
        }
        if (a < 1 || b < a || b > 99) return false;
        for (int r = a; r <= b; ++r)
            rows.insert(r);
        pos = comma + 1;
    }
    return !rows.empty();
}

void PrintTrackList(const TrackList& list)
{
    std::printf("%-4s %-12s %-6s %10s %10s\n", "Row", "Name", "Time", "Start", "Frames");
    for (size_t i = 0; i < list.size(); ++i) {
        const TrackRow& r = list.row(i);
        std::printf("%-4zu %-12s %-6s %10u %10u\n", i + 1, r.name.c_str(), r.time.c_str(),
                    r.record.startFrame, r.record.length);
    }
}

// The encoder type of a format; 0 when no encoder for it is available here.
int EncoderTypeFor(const std::string& format)
{
    if (format == "wav") return XT_ENCODER_WAV;
    if (format == "mp3") {
        for (int type : {XT_ENCODER_LAME2, XT_ENCODER_LAME1, XT_ENCODER_BLADE})
            if (xtEncoderAvail(type)) return type;
        return 0;
    }
    if (format == "ogg") return xtEncoderAvail(XT_ENCODER_VORB) ? XT_ENCODER_VORB : 0;
    return -1;
}

const char* FormatName(int type)
{
    switch (type) {
    case XT_ENCODER_WAV:
        return "WAV";
    case XT_ENCODER_VORB:
        return "Ogg Vorbis";
    case XT_ENCODER_RAW:
        return "raw PCM";
    default:
        return "MP3";
    }
}

// The file the track's stream writes, composed by the encoder library itself.
std::string OutputFileOf(const TrackRecord& record, const RipSettings& settings)
{
    const int h = xtGetEncoder(settings.encoderType);
    if (h == 0) return {};
    char fileName[261] = {};
    std::snprintf(fileName, sizeof fileName, "%.260s",
                  settings.fileName.empty() ? record.name : settings.fileName.c_str());
    xtSetAsciiOption(h, OUTPUT_DIR, settings.outputFolder.c_str());
    xtSetAsciiOption(h, FILE_NAME, fileName);
    xtSetAsciiOption(h, FILE_DIR, settings.fileDir.c_str());
    char path[1024] = {};
    const bool ok = xtGetOutputFileName(h, path, sizeof path) != 0;
    xtClose(h);
    return ok ? path : std::string();
}

// The description of the drive that OpenDrive chose.
std::string OpenedDriveName()
{
    if (g_drive.openedIndex < 0) return {};
    const CDDriveEntry& entry = g_drive.driveList.drives[g_drive.openedIndex];
    return std::string(entry.description, strnlen(entry.description, sizeof entry.description));
}

std::string Now()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

// What a look-up gave: the names of the rows, the tags of their files, the cover.
struct Naming {
    lookup::DiscMetadata disc;
    int firstTrack = 1;
    std::map<int, RowName> rows;
    std::string cover;
    std::set<std::string> folders; // where files were written, for cover.jpg
};

class ConsoleFrontEnd : public RipFrontEnd
{
public:
    ConsoleFrontEnd(RipSettings settings, ConsoleProgress::Overwrite overwrite,
                    VerifiedRip* verified, Naming* naming)
        : settings_(std::move(settings)), overwrite_(overwrite), showBar_(isatty(STDOUT_FILENO)),
          verified_(verified), naming_(naming)
    {
    }

    RipResult RunTrack(TrackRecord& record) override
    {
        if (Interrupted()) {
            reasons_[record.rowNumber] = "not started: interrupted";
            return RipResult::Cancelled;
        }
        ConsoleProgress progress(record.name, overwrite_, showBar_);
        progress.SetLengthFrames(record.length);
        RipSettings settings = settings_;
        const RowName* named = nullptr;
        if (naming_) {
            if (auto it = naming_->rows.find(record.rowNumber); it != naming_->rows.end()) {
                named = &it->second;
                settings.fileDir = named->folder;
                settings.fileName = named->name;
            }
        }
        std::string file;
        if (verified_) {
            settings.tap = verified_->BeginTrack(record);
            if (!settings.noWrite) file = OutputFileOf(record, settings);
        }
        const auto start = std::chrono::steady_clock::now();
        StartRipJob(&progress, record, settings);
        const RipResult result = progress.Wait(&Interrupted);
        // After a cancel the threads may still be winding down, using `progress`.
        FinishRipJob(g_ripJob);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // The checksums and the reader's counts are complete once both threads have ended.
        if (verified_) FinishRipJob(g_ripJob);

        std::string reason;
        if (progress.declined())
            reason = "skipped: the output file already exists";
        else if (progress.openFailed())
            reason = "the output file could not be opened";
        else if (g_ripJob.readFailed.load())
            reason = "read error";
        else if (g_ripJob.writeFailed.load())
            reason = "write error (disk full?)";
        else if (result != RipResult::Finished)
            reason = "cancelled";
        if (result == RipResult::Finished && named && !settings.noWrite) {
            // The encoder has closed the file: the tags go in now.
            const std::string path = file.empty() ? OutputFileOf(record, settings) : file;
            TagRippedFile(path, naming_->disc, named->trackNumber, naming_->firstTrack,
                          naming_->cover, stderr);
            naming_->folders.insert(path.substr(0, path.rfind('/')));
        }
        if (result == RipResult::Finished) {
            if (!showBar_)
                std::printf("%s: done (%.1fx real time)\n", record.name,
                            seconds > 0 ? record.length / 75.0 / seconds : 0.0);
        } else {
            reasons_[record.rowNumber] = reason.empty() ? "not ripped" : reason;
        }
        if (verified_) {
            TrackOutcome outcome;
            outcome.finished = result == RipResult::Finished;
            outcome.status = outcome.finished ? "complete" : reasons_[record.rowNumber];
            // A declined or unopened file was never written.
            if (!progress.declined() && !progress.openFailed()) outcome.file = file;
            outcome.retries = g_ripJob.retries.load();
            verified_->EndTrack(record, outcome);
        }
        return result;
    }

    void ShowMessage(const char* text) override
    {
        std::fprintf(stderr, "veltracdrip-cli: %s\n", text);
    }

    const std::map<int, std::string>& reasons() const { return reasons_; }

private:
    RipSettings settings_;
    ConsoleProgress::Overwrite overwrite_;
    bool showBar_;
    VerifiedRip* verified_;
    Naming* naming_;
    std::map<int, std::string> reasons_;
};

} // namespace

int RunConsoleRipper(int argc, char** argv)
{
    std::string image, out, format, tracks;
    bool listOnly = false, overwrite = false;
    VerifyOptions verify;
    MetadataOptions meta = MetadataOptionsFromSettings();
    std::string releaseText;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        bool ok = true;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--list") {
            listOnly = true;
        } else if (arg == "--overwrite") {
            overwrite = true;
        } else if (arg == "--image") {
            ok = value(image);
        } else if (arg == "--out") {
            ok = value(out);
        } else if (arg == "--format") {
            ok = value(format);
        } else if (arg == "--tracks") {
            ok = value(tracks);
        } else if (arg == "--cue") {
            verify.cue = true;
        } else if (arg == "--log") {
            verify.log = true;
        } else if (arg == "--verify-only") {
            verify.verifyOnly = true;
        } else if (arg == "--accuraterip") {
            ok = value(verify.response) && !verify.response.empty();
        } else if (arg == "--lookup") {
            meta.lookup = true;
        } else if (arg == "--cover") {
            meta.cover = true;
        } else if (arg == "--release") {
            ok = value(releaseText);
            char* end = nullptr;
            meta.release = static_cast<int>(std::strtol(releaseText.c_str(), &end, 10));
            ok = ok && !releaseText.empty() && *end == '\0' && meta.release >= 1;
        } else if (arg == "--name") {
            ok = value(meta.nameTemplate);
        } else if (arg == "--musicbrainz-url") {
            ok = value(meta.urls.musicBrainzUrl);
        } else if (arg == "--gnudb-url") {
            ok = value(meta.urls.gnudbUrl);
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "veltracdrip-cli: bad option %s (see --help)\n", arg.c_str());
            return 2;
        }
    }
    std::set<int> rows;
    if (!tracks.empty() && !ParseRows(tracks, rows)) {
        std::fprintf(stderr, "veltracdrip-cli: bad track list \"%s\" (rows, e.g. 1,3-5)\n",
                     tracks.c_str());
        return 2;
    }
    if (verify.verifyOnly && verify.cue) {
        std::fprintf(stderr, "veltracdrip-cli: --cue describes the audio files, which "
                             "--verify-only does not write\n");
        return 2;
    }
    int encoderType = 0;
    if (!format.empty()) {
        encoderType = EncoderTypeFor(format);
        if (encoderType < 0) {
            std::fprintf(stderr, "veltracdrip-cli: unknown format \"%s\" (wav, mp3 or ogg)\n",
                         format.c_str());
            return 2;
        }
        if (encoderType == 0 && !verify.verifyOnly) {
            std::fprintf(stderr, "veltracdrip-cli: no %s encoder is available on this machine\n",
                         format.c_str());
            return 2;
        }
    }
    // The image goes first in the drive list, before every real drive.
    if (!image.empty()) setenv("VELTRARIP32_IMAGES", image.c_str(), 1);

    LoadSettings();
    TrackList list;
    RefreshTrackList(list);
    if (g_drive.handle == 0) {
        std::fprintf(stderr, "veltracdrip-cli: no drive or disc image could be opened\n");
        return 1;
    }
    if (list.empty()) {
        std::fprintf(stderr, "veltracdrip-cli: no audio disc in the drive\n");
        return 1;
    }
    if (listOnly) {
        PrintTrackList(list);
        return 0;
    }

    RipSettings settings;
    settings.outputFolder = out.empty() ? g_settings.outputFolder : out;
    settings.encoderType = encoderType ? encoderType : g_settings.encoderType;
    if (verify.verifyOnly) {
        // The audio only passes through: the cheapest stream, writing nothing.
        settings.encoderType = XT_ENCODER_WAV;
        settings.noWrite = true;
    } else if (!encoderType && !xtEncoderAvail(settings.encoderType)) {
        std::fprintf(stderr,
                     "veltracdrip-cli: the %s encoder of the settings file is not available on "
                     "this machine; choose one with --format\n",
                     FormatName(settings.encoderType));
        return 2;
    }
    for (int r : rows) {
        if (r > static_cast<int>(list.size())) {
            std::fprintf(stderr, "veltracdrip-cli: there is no row %d (the disc lists %zu)\n", r,
                         list.size());
            return 2;
        }
    }
    for (size_t i = 0; i < list.size(); ++i) {
        TrackRow& row = list.row(i);
        row.checked =
            rows.empty() ? row.name != "Data Track" : rows.count(static_cast<int>(i + 1)) > 0;
    }

    std::unique_ptr<VerifiedRip> verified;
    if (verify.Active()) {
        verified = std::make_unique<VerifiedRip>(verify);
        std::string error;
        if (!verified->Prepare(g_drive.tocA, error)) {
            std::fprintf(stderr, "veltracdrip-cli: %s\n", error.c_str());
            return 2;
        }
        verified->PrintDisc(stdout);
    }

    std::unique_ptr<Naming> naming;
    if (meta.lookup) {
        const std::optional<verify::DiscToc> toc = verify::DiscTocFromRecord(g_drive.tocA);
        std::optional<lookup::DiscMetadata> disc;
        if (toc) disc = LookUpForConsole(*toc, meta, stdout, stderr);
        if (disc) {
            naming = std::make_unique<Naming>();
            naming->firstTrack = QueryOf(*toc).firstTrack;
            naming->rows = PlanNames(list, *toc, *disc, meta.nameTemplate, settings.outputFolder);
            if (meta.cover && !verify.verifyOnly)
                naming->cover = FetchFrontCover(*disc, meta, stderr);
            if (verified) verified->SetMetadata(*disc, naming->firstTrack);
            naming->disc = std::move(*disc);
        }
    }

    std::signal(SIGINT, OnInterrupt);
    if (verify.verifyOnly)
        std::printf("Reading the tracks to verify them; no audio file is written\n");
    else
        std::printf("Ripping to %s as %s\n", settings.outputFolder.c_str(),
                    FormatName(settings.encoderType));
    std::fflush(stdout);
    ConsoleFrontEnd frontEnd(
        settings, overwrite ? ConsoleProgress::Overwrite::Yes : ConsoleProgress::Overwrite::Ask,
        verified.get(), naming.get());
    RipCommand(list, frontEnd);
    if (naming && !naming->cover.empty()) {
        for (const std::string& folder : naming->folders) {
            std::FILE* f = std::fopen((folder + "/cover.jpg").c_str(), "wb");
            const bool ok = f && std::fwrite(naming->cover.data(), 1, naming->cover.size(), f) ==
                                     naming->cover.size();
            if (f && std::fclose(f) != 0)
                std::fprintf(stderr, "veltracdrip-cli: cannot write %s/cover.jpg\n",
                             folder.c_str());
            else if (!ok)
                std::fprintf(stderr, "veltracdrip-cli: cannot write %s/cover.jpg\n",
                             folder.c_str());
        }
    }
    std::signal(SIGINT, SIG_DFL);

    int failed = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        const TrackRow& row = list.row(i);
        if (!row.checked || row.status == kCompleteStatus) continue;
        ++failed;
        auto it = frontEnd.reasons().find(static_cast<int>(i + 1));
        std::fprintf(stderr, "%s: not ripped: %s\n", row.name.c_str(),
                     it != frontEnd.reasons().end() ? it->second.c_str() : "unknown");
    }
    if (verified) {
        RipContext context;
        context.drive = OpenedDriveName();
        context.format = FormatName(settings.encoderType);
        context.outputFolder = settings.outputFolder;
        context.date = Now();
        std::string error;
        if (!verified->Finish(context, stdout, error)) {
            std::fprintf(stderr, "veltracdrip-cli: %s\n", error.c_str());
            return 1;
        }
        if (!failed && !verified->AllAccurate()) return 3;
    }
    return failed ? 1 : 0;
}
