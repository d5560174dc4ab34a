#include "ConsoleRip.h"
#include "SecureReport.h"

#include "app/rip/RipCommand.h"
#include "app/verify/PcmChecksums.h"

#include "CdAudio.h"
#include "Veltraenc.h"

#include <cstdio>
#include <unistd.h>

namespace
{

constexpr uint32_t kPollMs = 200;
// A job whose idle-priority threads moved less than an audio second (75 frames read and 75
// encoded) in a second is starved by other programs: its threads are lifted to normal priority.
constexpr auto kStarvedWindow = std::chrono::seconds(1);
constexpr uint64_t kStarvedFrames = CD_FRAMES_PER_SECOND;

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

// The CRC32 of a track's audio on its way to the encoder, passed on to the verifier's tap.
class CrcTap : public PcmTap
{
public:
    CrcTap(uint64_t samples, PcmTap* next) : sums_(samples, false, false), next_(next) {}
    void Pcm(const uint8_t* bytes, uint32_t count) override
    {
        sums_.Add(bytes, count);
        if (next_) next_->Pcm(bytes, count);
    }
    uint32_t crc() const { return sums_.crc32(); }

private:
    verify::PcmChecksums sums_;
    PcmTap* next_;
};

std::string CrcText(uint32_t crc)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", crc);
    return text;
}

} // namespace

struct ConsoleRip::Track {
    Track(size_t index, const TrackRecord& record, ConsoleProgress::Overwrite overwrite,
          bool showBar, CDHANDLE drive)
        : row(index), progress(record.name, overwrite, showBar), job(drive)
    {
        progress.SetLengthFrames(record.length);
    }
    size_t row;
    const RowName* named = nullptr; // the look-up's name, null for the plain one
    int codeTrack = 0;              // without a look-up: the track whose codes the file gets
    ConsoleProgress progress;       // outlives the job: its threads use it until they end
    RipJob job;
    std::string file;
    std::unique_ptr<CrcTap> crc; // test and copy only
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    uint64_t windowFrames = 0; // RipJobProgress at the start of the window
    std::chrono::steady_clock::time_point window = start;
    bool raised = false;
};

ConsoleRip::ConsoleRip(RipSettings settings, ConsoleProgress::Overwrite overwrite,
                       VerifiedRip* verified, CDHANDLE drive, int jobs, bool (*interrupted)())
    : settings_(std::move(settings)), overwrite_(overwrite), showBar_(isatty(STDOUT_FILENO)),
      verified_(verified), drive_(drive), jobs_(jobs > 0 ? static_cast<size_t>(jobs) : 1),
      interrupted_(interrupted)
{
    settings_.ringStore = &ringStore_;
}

ConsoleRip::~ConsoleRip()
{
    CancelAll();
}

void ConsoleRip::Run(TrackList& list, int firstRow)
{
    firstRow_ = firstRow;
    bool any = false;
    for (size_t i = 0; i < list.size(); ++i) {
        if (!list.row(i).checked) continue;
        any = true;
        PrepareRow(list, i);
        const int number = static_cast<int>(i) + firstRow;
        list.row(i).record.rowNumber = number;
        while (inFlight_.size() >= jobs_)
            FinishOldest(list);
        WaitForDrive();
        if (cancelled_ || (interrupted_ && interrupted_())) {
            CancelAll();
            reasons_[number] = "not started: interrupted";
            continue;
        }
        Start(list, i);
    }
    while (!inFlight_.empty())
        FinishOldest(list);
    if (!any) std::fprintf(stderr, "veltracdrip-cli: %s\n", kNoSelectionText);
}

void ConsoleRip::Start(TrackList& list, size_t index)
{
    const TrackRecord& record = list.row(index).record;
    inFlight_.push_back(std::make_unique<Track>(index, record, overwrite_, showBar_, drive_));
    Track& track = *inFlight_.back();
    RipSettings settings = settings_;
    // A named data track is kept as a raw image of its sectors (.dat), not as audio.
    if (record.dataTrack) settings.encoderType = XT_ENCODER_RAW;
    if (naming_) {
        if (auto it = naming_->rows.find(static_cast<int>(index + 1)); it != naming_->rows.end()) {
            track.named = &it->second;
            settings.fileDir = track.named->folder;
            settings.fileName = track.named->name;
        }
    }
    if (verified_) settings.tap = verified_->BeginTrack(record);
    if (keepCrcs_) {
        track.crc =
            std::make_unique<CrcTap>(uint64_t{record.length} * CD_SAMPLES_PER_FRAME, settings.tap);
        settings.tap = track.crc.get();
    }
    if (naming_ && naming_->codesOnly) {
        if (auto it = naming_->codeRows.find(static_cast<int>(index + 1));
            it != naming_->codeRows.end())
            track.codeTrack = it->second;
    }
    if ((verified_ || track.named || track.codeTrack) && !settings.noWrite)
        track.file = OutputFileOf(record, settings);
    StartRipJob(track.job, &track.progress, record, settings);
    track.windowFrames = RipJobProgress(track.job);
    track.window = std::chrono::steady_clock::now();
    // The machine was found busy: the next tracks need not starve first.
    if (busy_) track.raised = RaiseRipJobPriority(track.job);
}

void ConsoleRip::LiftStarved()
{
    const auto now = std::chrono::steady_clock::now();
    for (auto& track : inFlight_) {
        if (track->raised) continue;
        // A closed track waits only for its turn to be reported.
        if (now - track->window < kStarvedWindow || track->progress.WaitClosed(0)) continue;
        const uint64_t frames = RipJobProgress(track->job);
        if (frames - track->windowFrames < kStarvedFrames) {
            RaiseRipJobPriority(track->job);
            track->raised = busy_ = true;
        }
        track->windowFrames = frames;
        track->window = now;
    }
}

bool ConsoleRip::Poll(Track& track)
{
    if (track.progress.WaitClosed(kPollMs)) return true;
    if (!cancelled_ && interrupted_ && interrupted_()) CancelAll();
    LiftStarved();
    // Only the oldest track's line is drawn: one line on the terminal, however many run.
    if (!inFlight_.empty() && &track == inFlight_.front().get()) track.progress.Draw(false);
    return false;
}

void ConsoleRip::WaitForDrive()
{
    if (inFlight_.empty()) return;
    RipJob& newest = inFlight_.back()->job;
    while (!WaitForRipJobRead(newest, kPollMs)) {
        if (!cancelled_ && interrupted_ && interrupted_()) CancelAll();
        LiftStarved();
        inFlight_.front()->progress.Draw(false);
    }
}

void ConsoleRip::CancelAll()
{
    if (inFlight_.empty() && cancelled_) return;
    cancelled_ = true;
    for (auto& track : inFlight_) {
        // As the dialog's Cancel: the threads wind down by themselves.
        CancelRipJob(track->job);
        track->progress.Close(RipResult::Cancelled);
    }
}

void ConsoleRip::FinishOldest(TrackList& list)
{
    Track& track = *inFlight_.front();
    while (!Poll(track)) {
    }
    track.progress.Draw(true);
    const RipResult result = track.progress.result();
    // After a cancel the threads may still be winding down, using the progress.
    const RipReport report = FinishRipJob(track.job);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - track.start).count();

    TrackRow& row = list.row(track.row);
    const int number = static_cast<int>(track.row) + firstRow_;
    std::string reason;
    if (track.progress.declined())
        reason = "skipped: the output file already exists";
    else if (track.progress.openFailed())
        reason = "the output file could not be opened";
    else if (report.encoderFailed)
        reason = "the encoder could not be started";
    else if (report.readFailed)
        reason = "read error";
    else if (report.writeFailed)
        reason = "write error (disk full?)";
    else if (result != RipResult::Finished)
        reason = "cancelled";
    // Outside the disc the drive gave nothing: the log says so, and so does the terminal.
    if (report.zeroSamples > 0)
        std::printf("%s: %llu samples outside the disc filled with zeros%s\n", row.record.name,
                    static_cast<unsigned long long>(report.zeroSamples),
                    report.overreadRefused ? " (the drive would not overread)" : "");
    if (result == RipResult::Finished && track.named && !track.file.empty()) {
        // The encoder has closed the file: the tags go in now.
        TagRippedFile(track.file, *naming_, track.named->trackNumber, stderr);
        naming_->folders.insert(track.file.substr(0, track.file.rfind('/')));
    } else if (result == RipResult::Finished && track.codeTrack && !track.file.empty()) {
        TagRippedFile(track.file, *naming_, track.codeTrack, stderr);
    }
    if (result == RipResult::Finished) {
        row.status = kCompleteStatus;
        if (!showBar_)
            std::printf("%s: done (%.1fx real time)\n", row.record.name,
                        seconds > 0 ? row.record.length / double{CD_FRAMES_PER_SECOND} / seconds
                                    : 0.0);
    } else {
        reasons_[number] = reason.empty() ? "not ripped" : reason;
    }
    std::string inexact, passes;
    if (result == RipResult::Finished && report.suspiciousCount > 0)
        inexact = "inexact: " + std::to_string(report.suspiciousCount) + " suspicious samples at " +
                  SuspiciousText(report.suspicious, row.record.startFrame);
    if (result == RipResult::Finished && track.crc) {
        const uint32_t crc = track.crc->crc();
        crcs_[number] = crc;
        if (earlier_) {
            // A track whose test pass failed has nothing to vouch for its copy.
            bool match = false;
            if (const auto it = earlier_->find(number); it != earlier_->end()) {
                for (uint32_t e : it->second) {
                    passes += CrcText(e) + ", ";
                    match = match || e == crc;
                }
            }
            passes =
                "CRC32 of the passes " + passes + CrcText(crc) + (match ? " (match)" : " (differ)");
            std::printf("%s: %s\n", row.record.name, passes.c_str());
            if (!match && inexact.empty()) inexact = "inexact: " + passes;
        }
    }
    if (!inexact.empty()) {
        inexact_[number] = inexact;
        std::printf("%s: %s\n", row.record.name, inexact.c_str());
    }
    if (verified_) {
        TrackOutcome outcome;
        outcome.finished = result == RipResult::Finished;
        outcome.status = !outcome.finished  ? reasons_[number]
                         : !inexact.empty() ? inexact
                         : passes.empty()   ? "complete"
                                            : "complete; " + passes;
        // A declined or unopened file was never written.
        if (!track.progress.declined() && !track.progress.openFailed()) outcome.file = track.file;
        outcome.retries = report.retries;
        outcome.zeroSamples = report.zeroSamples;
        outcome.overreadRefused = report.overreadRefused;
        outcome.secure = settings_.secure;
        outcome.inexact = !inexact.empty();
        verified_->EndTrack(row.record, outcome);
    }
    inFlight_.pop_front();
}
