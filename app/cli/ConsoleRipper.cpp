#include "ConsoleRipper.h"

#include "CliOptions.h"
#include "ConsoleRip.h"
#include "FindOffset.h"
#include "MetadataStep.h"
#include "Retag.h"
#include "VerifiedRip.h"

#include "app/cd/Drive.h"
#include "app/cd/Toc.h"
#include "app/lookup/CdText.h"
#include "app/rip/RipCommand.h"
#include "app/shell/CurrentSettings.h"
#include "app/shell/LookupSettingsFile.h"
#include "app/verify/DiscToc.h"
#include "app/verify/ReadOffsetChoice.h"

#include "Veltraenc.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{

// Ctrl-C: a signal handler can only set a flag, so this one is process-wide.
std::atomic<bool> g_interrupted{false};

void OnInterrupt(int)
{
    g_interrupted.store(true);
}

bool Interrupted()
{
    return g_interrupted.load();
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

// The encoder type of a format; 0 when no encoder for it is available here, -1 for an unknown
// format.
int EncoderTypeFor(const std::string& format)
{
    if (format == "wav") return XT_ENCODER_WAV;
    if (format == "mp3") {
        for (int type : {XT_ENCODER_LAME2, XT_ENCODER_LAME1, XT_ENCODER_BLADE})
            if (xtEncoderAvail(type)) return type;
        return 0;
    }
    const int type = format == "ogg"    ? XT_ENCODER_VORB
                     : format == "flac" ? XT_ENCODER_FLAC
                     : format == "opus" ? XT_ENCODER_OPUS
                                        : -1;
    if (type < 0) return -1;
    return xtEncoderAvail(type) ? type : 0;
}

const char* FormatName(int type)
{
    switch (type) {
    case XT_ENCODER_WAV:
        return "WAV";
    case XT_ENCODER_VORB:
        return "Ogg Vorbis";
    case XT_ENCODER_FLAC:
        return "FLAC";
    case XT_ENCODER_OPUS:
        return "Opus";
    case XT_ENCODER_RAW:
        return "raw PCM";
    default:
        return "MP3";
    }
}

// The description of the drive that OpenDrive chose.
std::string OpenedDriveName(const DriveState& drive)
{
    if (drive.openedIndex < 0) return {};
    const CDDriveEntry& entry = drive.driveList.drives[drive.openedIndex];
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

// The look-up before the rip, and the disc's own ISRCs and MCN; null when the look-up was not
// asked for or found nothing and the disc carries no codes.
std::unique_ptr<Naming> LookUp(const DriveState& drive, const CliOptions& options,
                               const TrackList& list, const RipSettings& settings,
                               VerifiedRip* verified)
{
    if (!options.lookup.lookup && options.lookup.name)
        std::fprintf(stderr, "veltracdrip-cli: --name is not used: it names the files of a "
                             "look-up (--lookup); the tracks keep their plain names\n");
    const std::optional<verify::DiscToc> toc = verify::DiscTocFromRecord(drive.tocA);
    if (!toc) return nullptr;
    const lookup::DiscQuery query = QueryOf(*toc);
    // Codes only go into written files and the CUE sheet: nothing else asks the drive for them.
    lookup::DiscCodes codes;
    if (!settings.noWrite || options.verify.cue) codes = lookup::ReadDiscCodes(drive.handle, query);
    std::optional<lookup::DiscMetadata> disc;
    const MetadataOptions meta = MetadataOptionsOf(options.lookup);
    if (options.lookup.lookup) {
        const std::optional<lookup::DiscMetadata> cdText = lookup::ReadCdText(drive.handle, query);
        disc = LookUpForConsole(*toc, meta, stdout, stderr, cdText ? &*cdText : nullptr);
        if (!disc && options.lookup.name)
            std::fprintf(stderr, "veltracdrip-cli: --name is not used: no disc information was "
                                 "found\n");
    }
    if (!disc && codes.empty()) return nullptr;
    auto naming = std::make_unique<Naming>();
    naming->firstTrack = query.firstTrack;
    if (disc) {
        lookup::ApplyDiscCodes(*disc, codes, query.firstTrack);
        naming->rows = PlanNames(list, *toc, *disc, meta.nameTemplate, settings.outputFolder);
        if (meta.cover && !settings.noWrite) naming->cover = FetchFrontCover(*disc, meta, stderr);
    } else {
        disc = lookup::CodesOnly(codes, query);
        naming->codesOnly = true;
        for (size_t i = 0; i < list.size(); ++i) {
            const verify::TocTrack* t = toc->AtFrame(list.row(i).record.startFrame);
            if (t && !t->data) naming->codeRows[static_cast<int>(i + 1)] = t->number;
        }
    }
    if (verified) verified->SetMetadata(*disc, naming->firstTrack);
    naming->disc = std::move(*disc);
    return naming;
}

int Fail(int status, const std::string& message)
{
    std::fprintf(stderr, "veltracdrip-cli: %s\n", message.c_str());
    return status;
}

// The rip's settings from the command line and the settings file; 0 or an exit status.
int ChooseSettings(const CurrentSettings& current, const CliOptions& options, RipSettings& settings)
{
    int encoderType = 0;
    if (!options.format.empty()) {
        encoderType = EncoderTypeFor(options.format);
        if (encoderType < 0)
            return Fail(2,
                        "unknown format \"" + options.format + "\" (wav, mp3, ogg, flac or opus)");
        if (encoderType == 0 && !options.verify.verifyOnly)
            return Fail(2, "no " + options.format + " encoder is available on this machine");
    }
    settings.outputFolder = options.out.empty() ? current.outputFolder : options.out;
    settings.encoderType = encoderType ? encoderType : current.encoderType;
    if (options.verify.verifyOnly) {
        // The audio only passes through: the cheapest stream, writing nothing.
        settings.encoderType = XT_ENCODER_WAV;
        settings.noWrite = true;
    } else if (!encoderType && !xtEncoderAvail(settings.encoderType)) {
        return Fail(2, std::string("the ") + FormatName(settings.encoderType) +
                           " encoder of the settings file is not available on this machine; "
                           "choose one with --format");
    }
    return 0;
}

// The read offset of the rip, from the command line, the settings file or a drive-offset table.
verify::ReadOffsetChoice ChooseOffset(const CurrentSettings& current, const DriveState& drive,
                                      const CliOptions& options)
{
    verify::ReadOffsetSources sources;
    sources.option = options.offset;
    sources.optionTable = options.offsetTable;
    sources.setting = current.readOffset;
    sources.settingTable = current.offsetTable;
    DriveIdentity(drive.handle, sources.vendor, sources.model);
    verify::ReadOffsetChoice choice = verify::ChooseReadOffset(sources);
    for (const auto& warning : choice.warnings)
        std::fprintf(stderr, "veltracdrip-cli: %s\n", warning.c_str());
    return choice;
}

// Ticks the rows to rip: the named ones, or every audio track; 0 or an exit status.
int TickRows(const CliOptions& options, TrackList& list)
{
    for (int r : options.rows)
        if (r > static_cast<int>(list.size()))
            return Fail(2, "there is no row " + std::to_string(r) + " (the disc lists " +
                               std::to_string(list.size()) + ")");
    if (options.rows.count(0) && list.row(0).record.startFrame == 0)
        return Fail(2, "there is no track 0: the first track starts at the beginning of the disc");
    for (size_t i = 0; i < list.size(); ++i) {
        TrackRow& row = list.row(i);
        row.checked = options.tracksGiven ? options.rows.count(static_cast<int>(i + 1)) > 0
                                          : !row.record.dataTrack;
    }
    return 0;
}

// Row 0: the audio before the first track, as "Track 00", outside the disc's checksums (no
// AccurateRip entry or CUE row describes it). The number of tracks not ripped (0 or 1).
int RipHiddenTrack(CDHANDLE drive, const TrackList& list, const RipSettings& settings,
                   ConsoleProgress::Overwrite overwrite, int jobs)
{
    const uint32_t length = list.row(0).record.startFrame;
    TrackRecord record{};
    std::snprintf(record.name, sizeof record.name, "Track 00");
    record.length = length;
    TrackList hidden;
    hidden.Append(record, TimeText(length));
    hidden.row(0).checked = true;
    ConsoleRip rip(settings, overwrite, nullptr, drive, jobs, &Interrupted);
    rip.Run(hidden, 0);
    if (hidden.row(0).status == kCompleteStatus) return 0;
    auto it = rip.reasons().find(0);
    std::fprintf(stderr, "Track 00: not ripped: %s\n",
                 it != rip.reasons().end() ? it->second.c_str() : "unknown");
    return 1;
}

// One line per ticked row that was not ripped; the number of them.
int ReportFailures(const TrackList& list, const ConsoleRip& rip)
{
    int failed = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        const TrackRow& row = list.row(i);
        if (!row.checked || row.status == kCompleteStatus) continue;
        ++failed;
        auto it = rip.reasons().find(static_cast<int>(i + 1));
        std::fprintf(stderr, "%s: not ripped: %s\n", row.name.c_str(),
                     it != rip.reasons().end() ? it->second.c_str() : "unknown");
    }
    return failed;
}

// The [Lookup] settings of the online AccurateRip lookup; the command line's URL wins.
void ApplyLookupSettings(VerifyOptions& verify)
{
    const LookupFileSettings file = ReadLookupSettings();
    if (verify.lookupUrl.empty()) verify.lookupUrl = file.accurateRipUrl;
    verify.timeoutSeconds = file.timeoutSeconds;
}

// Rips the rows ticked for a second read, names those not ripped again, and ticks the rows
// as they were; the number of tracks that failed or stayed inexact.
int RipAgain(ConsoleRip& again, TrackList& list, const std::vector<bool>& ticked)
{
    again.Run(list);
    const int failed = static_cast<int>(again.reasons().size() + again.inexact().size());
    for (const auto& [row, reason] : again.reasons())
        std::fprintf(stderr, "%s: not ripped again: %s\n", list.row(row - 1).name.c_str(),
                     reason.c_str());
    for (size_t i = 0; i < list.size(); ++i)
        list.row(i).checked = ticked[i];
    return failed;
}

// --verify: reads the tracks of the burst rip that did not match again in secure mode; the
// number of them that failed or came out inexact.
int Reread(CDHANDLE drive, TrackList& list, const RipSettings& burst, VerifiedRip& verified,
           const CliOptions& options)
{
    const std::vector<uint32_t> starts = verified.TracksToReread();
    if (starts.empty()) return 0;
    std::vector<bool> ticked(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        TrackRow& row = list.row(i);
        ticked[i] = row.checked;
        row.checked = row.checked && std::find(starts.begin(), starts.end(),
                                               row.record.startFrame) != starts.end();
        if (row.checked)
            std::printf("%s: no AccurateRip match in the burst rip; reading it again in secure "
                        "mode\n",
                        row.record.name);
    }
    std::fflush(stdout);
    RipSettings settings = burst;
    settings.secure = true;
    // The burst rip's own files are replaced.
    ConsoleRip again(settings, ConsoleProgress::Overwrite::Yes, &verified, drive, options.jobs,
                     &Interrupted);
    return RipAgain(again, list, ticked);
}

// Test and copy, first pass: every ticked track read whole and its CRC32 kept; no file
// written. The CRC32s by row.
std::map<int, std::vector<uint32_t>> TestPass(CDHANDLE drive, TrackList& list, RipSettings settings,
                                              int jobs)
{
    std::printf("Test pass: reading the tracks once without writing them\n");
    std::fflush(stdout);
    settings.encoderType = XT_ENCODER_WAV;
    settings.noWrite = true;
    ConsoleRip test(settings, ConsoleProgress::Overwrite::Yes, nullptr, drive, jobs, &Interrupted);
    test.KeepCrcs(nullptr);
    test.Run(list);
    for (size_t i = 0; i < list.size(); ++i)
        list.row(i).status.clear();
    std::map<int, std::vector<uint32_t>> crcs;
    for (const auto& [row, crc] : test.crcs())
        crcs[row].push_back(crc);
    std::printf("Copy pass\n");
    std::fflush(stdout);
    return crcs;
}

// Test and copy in secure mode: the tracks whose passes differ are read once more; a read
// equal to one of the passes settles them. The number still inexact or not ripped.
int Reconcile(CDHANDLE drive, TrackList& list, const RipSettings& settings, VerifiedRip* verified,
              Naming* naming, const ConsoleRip& copy, std::map<int, std::vector<uint32_t>> crcs,
              const CliOptions& options)
{
    if (copy.inexact().empty()) return 0;
    std::vector<bool> ticked(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        TrackRow& row = list.row(i);
        ticked[i] = row.checked;
        const int number = static_cast<int>(i + 1);
        row.checked = copy.inexact().count(number) > 0;
        if (!row.checked) continue;
        if (auto it = copy.crcs().find(number); it != copy.crcs().end())
            crcs[number].push_back(it->second);
        std::printf("%s: reading it again in secure mode to settle the passes\n", row.record.name);
    }
    std::fflush(stdout);
    ConsoleRip again(settings, ConsoleProgress::Overwrite::Yes, verified, drive, options.jobs,
                     &Interrupted);
    again.SetNaming(naming);
    again.KeepCrcs(&crcs);
    return RipAgain(again, list, ticked);
}

} // namespace

int RunConsoleRipper(int argc, char** argv)
{
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(argc, argv, options, error)) return Fail(2, error);
    if (options.help) {
        std::fputs(kCliUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::puts("veltracdrip-cli (VeltraCDRip) " VELTRA_VERSION);
        return 0;
    }
    if (!options.retag.empty()) return RunRetag(options, stdout, stderr);
    RipSettings settings;
    DriveState drive;
    CurrentSettings current;
    // The format is checked before anything is opened; the settings file's after loading it.
    if (!options.format.empty())
        if (const int status = ChooseSettings(current, options, settings)) return status;
    // The image goes first in the drive list, before every real drive.
    if (!options.image.empty()) setenv("VELTRARIP32_IMAGES", options.image.c_str(), 1);

    LoadSettings(current, drive);
    TrackList list;
    RefreshTrackList(drive, list);
    // A refused image is named with the reason, and never has another drive stand in for it.
    const std::string refusal = ImageRefusal();
    const bool imageRefused = !options.image.empty() && drive.openedIndex != 0;
    if (!refusal.empty() && (drive.handle == 0 || imageRefused))
        std::fprintf(stderr, "veltracdrip-cli: %s\n", refusal.c_str());
    if (drive.handle == 0) return Fail(1, "no drive or disc image could be opened");
    if (imageRefused) return 1;
    if (list.empty()) return Fail(1, "no audio disc in the drive");
    if (options.listOnly) {
        PrintTrackList(list);
        return 0;
    }
    if (options.findOffset)
        return RunFindOffset(options, current, drive.handle, drive.tocA, stdout);
    if (const int status = ChooseSettings(current, options, settings)) return status;
    if (const int status = TickRows(options, list)) return status;
    const verify::ReadOffsetChoice offset = ChooseOffset(current, drive, options);
    if (offset.offset != 0) {
        const auto toc = verify::DiscTocFromRecord(drive.tocA);
        settings.readOffset.offset = offset.offset;
        settings.readOffset.discEnd = toc ? toc->AudioLeadout() : 0;
        for (size_t i = 0; !toc && i < list.size(); ++i)
            settings.readOffset.discEnd =
                std::max(settings.readOffset.discEnd,
                         list.row(i).record.startFrame + list.row(i).record.length);
        settings.readOffset.overread = options.overread;
    }
    std::string offsetText = verify::ReadOffsetText(offset);
    if (offset.offset != 0 && options.overread)
        offsetText += ", overreading into lead-in and lead-out";
    settings.secure = options.secure || current.secure;
    // Burst then verify: the first pass is a plain one; secure mode is its re-read.
    options.verify.burst = options.burst || current.verify;
    if (options.verify.burst) {
        settings.secure = false;
        if (options.verify.response.empty()) options.verify.lookup = true;
    }

    std::unique_ptr<VerifiedRip> verified;
    if (options.verify.lookup) ApplyLookupSettings(options.verify);
    if (options.verify.Active()) {
        verified = std::make_unique<VerifiedRip>(options.verify);
        if (!verified->Prepare(drive.tocA, error)) return Fail(2, error);
        verified->PrintDisc(stdout);
    }

    const std::unique_ptr<Naming> naming = LookUp(drive, options, list, settings, verified.get());

    std::signal(SIGINT, OnInterrupt);
    if (options.verify.verifyOnly)
        std::printf("Reading the tracks to verify them; no audio file is written\n");
    else
        std::printf("Ripping to %s as %s%s\n", settings.outputFolder.c_str(),
                    FormatName(settings.encoderType), settings.secure ? " in secure mode" : "");
    if (offset.offset != 0) std::printf("Read offset: %s\n", offsetText.c_str());
    std::fflush(stdout);
    const auto overwrite =
        options.overwrite ? ConsoleProgress::Overwrite::Yes : ConsoleProgress::Overwrite::Ask;
    int failed = 0;
    if (options.rows.count(0))
        failed += RipHiddenTrack(drive.handle, list, settings, overwrite, options.jobs);
    std::map<int, std::vector<uint32_t>> passCrcs;
    if (options.testAndCopy && options.rows != std::set<int>{0})
        passCrcs = TestPass(drive.handle, list, settings, options.jobs);
    ConsoleRip rip(settings, overwrite, verified.get(), drive.handle, options.jobs, &Interrupted);
    rip.SetNaming(naming.get());
    if (options.testAndCopy) rip.KeepCrcs(&passCrcs);
    // Only the hidden track named: nothing else to rip.
    if (options.rows != std::set<int>{0}) rip.Run(list);
    std::signal(SIGINT, SIG_DFL);
    if (naming) WriteCoverFiles(*naming, stderr);

    failed += ReportFailures(list, rip);
    if (options.testAndCopy && settings.secure && !Interrupted())
        failed += Reconcile(drive.handle, list, settings, verified.get(), naming.get(), rip,
                            passCrcs, options);
    else
        failed += static_cast<int>(rip.inexact().size());
    if (verified && options.verify.burst && !Interrupted())
        failed += Reread(drive.handle, list, settings, *verified, options);
    if (verified) {
        RipContext context;
        context.drive = OpenedDriveName(drive);
        context.format = FormatName(settings.encoderType);
        context.outputFolder = settings.outputFolder;
        context.date = Now();
        context.readOffset = offsetText;
        if (!verified->Finish(context, stdout, error)) return Fail(1, error);
        if (!failed && !verified->AllAccurate()) return 3;
    }
    return failed ? 1 : 0;
}
