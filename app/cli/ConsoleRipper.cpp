#include "ConsoleRipper.h"

#include "CliOptions.h"
#include "ConsoleRip.h"
#include "VerifiedRip.h"

#include "app/cd/Drive.h"
#include "app/rip/RipCommand.h"
#include "app/shell/CurrentSettings.h"
#include "app/shell/Settings.h"

#include "Veltraenc.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

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

int Fail(int status, const std::string& message)
{
    std::fprintf(stderr, "veltracdrip-cli: %s\n", message.c_str());
    return status;
}

// The rip's settings from the command line and the settings file; 0 or an exit status.
int ChooseSettings(const CliOptions& options, RipSettings& settings)
{
    int encoderType = 0;
    if (!options.format.empty()) {
        encoderType = EncoderTypeFor(options.format);
        if (encoderType < 0)
            return Fail(2, "unknown format \"" + options.format + "\" (wav, mp3 or ogg)");
        if (encoderType == 0 && !options.verify.verifyOnly)
            return Fail(2, "no " + options.format + " encoder is available on this machine");
    }
    settings.outputFolder = options.out.empty() ? g_settings.outputFolder : options.out;
    settings.encoderType = encoderType ? encoderType : g_settings.encoderType;
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

// Ticks the rows to rip: the named ones, or every audio track; 0 or an exit status.
int TickRows(const std::set<int>& rows, TrackList& list)
{
    for (int r : rows)
        if (r > static_cast<int>(list.size()))
            return Fail(2, "there is no row " + std::to_string(r) + " (the disc lists " +
                               std::to_string(list.size()) + ")");
    for (size_t i = 0; i < list.size(); ++i) {
        TrackRow& row = list.row(i);
        row.checked =
            rows.empty() ? row.name != "Data Track" : rows.count(static_cast<int>(i + 1)) > 0;
    }
    return 0;
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
void ReadLookupSettings(VerifyOptions& verify)
{
    Settings file;
    file.Open(kSettingsFileName);
    char text[512];
    if (verify.lookupUrl.empty()) {
        file.Read("Lookup", "AccurateRipUrl", "", text, sizeof text);
        verify.lookupUrl = text;
    }
    file.Read("Lookup", "TimeoutSeconds", "", text, sizeof text);
    int seconds = 0;
    char extra = 0;
    if (std::sscanf(text, "%d%c", &seconds, &extra) == 1 && seconds >= 1 && seconds <= 300)
        verify.timeoutSeconds = seconds;
}

// A switch of [Drive]: "1", "true" or "yes" turn it on.
bool DriveSwitch(const char* key)
{
    Settings file;
    file.Open(kSettingsFileName);
    char text[16];
    file.Read("Drive", key, "", text, sizeof text);
    std::string value = text;
    for (char& c : value)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return value == "1" || value == "true" || value == "yes";
}

// --verify: reads the tracks of the burst rip that did not match again in secure mode; the
// number of them that failed or came out inexact.
int Reread(TrackList& list, const RipSettings& burst, VerifiedRip& verified,
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
    ConsoleRip again(settings, ConsoleProgress::Overwrite::Yes, &verified, g_drive.handle,
                     options.jobs, &Interrupted);
    again.Run(list);
    int failed = static_cast<int>(again.reasons().size() + again.inexact().size());
    for (const auto& [row, reason] : again.reasons())
        std::fprintf(stderr, "%s: not ripped again: %s\n", list.row(row - 1).name.c_str(),
                     reason.c_str());
    for (size_t i = 0; i < list.size(); ++i)
        list.row(i).checked = ticked[i];
    return failed;
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
    RipSettings settings;
    // The format is checked before anything is opened; the settings file's after loading it.
    if (!options.format.empty())
        if (const int status = ChooseSettings(options, settings)) return status;
    // The image goes first in the drive list, before every real drive.
    if (!options.image.empty()) setenv("VELTRARIP32_IMAGES", options.image.c_str(), 1);

    LoadSettings();
    TrackList list;
    RefreshTrackList(list);
    if (g_drive.handle == 0) return Fail(1, "no drive or disc image could be opened");
    if (list.empty()) return Fail(1, "no audio disc in the drive");
    if (options.listOnly) {
        PrintTrackList(list);
        return 0;
    }
    if (const int status = ChooseSettings(options, settings)) return status;
    if (const int status = TickRows(options.rows, list)) return status;
    settings.secure = options.secure || DriveSwitch("Secure");
    // Burst then verify: the first pass is a plain one; secure mode is its re-read.
    options.verify.burst = options.burst || DriveSwitch("Verify");
    if (options.verify.burst) {
        settings.secure = false;
        if (options.verify.response.empty()) options.verify.lookup = true;
    }

    std::unique_ptr<VerifiedRip> verified;
    if (options.verify.lookup) ReadLookupSettings(options.verify);
    if (options.verify.Active()) {
        verified = std::make_unique<VerifiedRip>(options.verify);
        if (!verified->Prepare(g_drive.tocA, error)) return Fail(2, error);
        verified->PrintDisc(stdout);
    }

    std::signal(SIGINT, OnInterrupt);
    if (options.verify.verifyOnly)
        std::printf("Reading the tracks to verify them; no audio file is written\n");
    else
        std::printf("Ripping to %s as %s%s\n", settings.outputFolder.c_str(),
                    FormatName(settings.encoderType), settings.secure ? " in secure mode" : "");
    std::fflush(stdout);
    ConsoleRip rip(settings,
                   options.overwrite ? ConsoleProgress::Overwrite::Yes
                                     : ConsoleProgress::Overwrite::Ask,
                   verified.get(), g_drive.handle, options.jobs, &Interrupted);
    rip.Run(list);
    int failed = ReportFailures(list, rip) + static_cast<int>(rip.inexact().size());
    if (verified && options.verify.burst && !Interrupted())
        failed += Reread(list, settings, *verified, options);
    std::signal(SIGINT, SIG_DFL);

    if (verified) {
        RipContext context;
        context.drive = OpenedDriveName(g_drive);
        context.format = FormatName(settings.encoderType);
        context.outputFolder = settings.outputFolder;
        context.date = Now();
        if (!verified->Finish(context, stdout, error)) return Fail(1, error);
        if (!failed && !verified->AllAccurate()) return 3;
    }
    return failed ? 1 : 0;
}
