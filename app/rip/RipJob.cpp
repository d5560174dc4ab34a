#include "RipJob.h"

#include "SecureReader.h"
#include "StreamOptions.h"

#include "platform/DebugTrace.h"

#include "Veltraenc.h"

namespace
{

void CloseEventOnce(plat::EventHandle& event)
{
    if (event) plat::CloseEvent(event);
    event = nullptr;
}

void WaitUntilEnded(plat::ThreadHandle& thread)
{
    if (!thread) return;
    while (plat::WaitForThread(thread, plat::kInfinite) != plat::kWaitObject0) {
    }
    plat::CloseThreadHandle(thread);
    thread = nullptr;
}

// An early end of the set-up: the track is skipped as cancelled and nothing it took is kept.
void EndEarly(RipJob& job, RipProgress* dialog)
{
    if (job.encoder != 0) xtClose(job.encoder);
    job.encoder = 0;
    ringRelease(&job.ring);
    CloseEventOnce(job.wakeEvent);
    if (job.readEnded) plat::SetEvent(job.readEnded);
    if (dialog) dialog->Close(RipResult::Cancelled);
}

// The drive's read settings of every rip.
void ConfigureDrive(CDHANDLE drive)
{
    ModifyCDParms(drive, CD_PARM_CHECK_FRAMES, kCheckFrames);
    ModifyCDParms(drive, CD_PARM_OVERLAP_FRAMES, kOverlapFrames);
    ModifyCDParms(drive, CD_PARM_JITTER_MODE, kJitterMode);
}

bool SizeRing(RipJob& job, const TrackRecord& track, RingStore* store)
{
    job.ringBytes = sizeRingBuffer(track.length + 1, kMinimumRingReads * kFramesPerRead);
    if (job.ringBytes > 0x7FFFFFFFu ||
        ringInit(&job.ring, static_cast<int32_t>(job.ringBytes), store) == 0) {
        plat::DebugTrace("no ring of %u bytes for the track", job.ringBytes);
        return false;
    }
    return true;
}

// Asks before overwriting and opens the file; false ends the set-up early.
bool OpenOutput(RipJob& job, RipProgress* dialog, const RipSettings& settings)
{
    if (!settings.noWrite && xtCheckOutputFileExists(job.encoder) &&
        !(dialog && dialog->AskOverwrite(kOverwriteCaption, kOverwriteText)))
        return false;
    if (xtOpenOutputFile(job.encoder) == 0) {
        if (dialog) dialog->ShowError(kOpenErrorCaption, kOpenErrorText);
        return false;
    }
    if (!settings.noWrite) {
        char path[1024] = {};
        if (xtGetOutputFileName(job.encoder, path, sizeof path)) job.outputFile = path;
    }
    return true;
}

// Both threads wait at the gate until both handles are stored: after a cancel the reader needs
// the encoder thread's handle.
void StartThreads(RipJob& job, RipProgress* dialog)
{
    job.startGate = plat::CreateEvent(true, false);
    if (job.startGate) {
        job.readerThread = plat::CreateThread(ReaderThread, &job);
        job.encoderThread = plat::CreateThread(EncoderThread, &job);
    }
    if (!job.readerThread || !job.encoderThread) {
        // A thread that did start stops at once: the reader as after a cancel, the encoder
        // thread on the abort flag, closing the stream and the dialog itself.
        job.cancelRequested.store(1);
        job.aborted.store(1);
        if (job.startGate) plat::SetEvent(job.startGate);
        if (!job.encoderThread) {
            WaitUntilEnded(job.readerThread);
            EndEarly(job, dialog);
        } else if (!job.readerThread && job.readEnded) {
            plat::SetEvent(job.readEnded);
        }
        return;
    }
    plat::SetThreadIdlePriority(job.readerThread);
    plat::SetThreadIdlePriority(job.encoderThread);
    plat::SetEvent(job.startGate);
}

} // namespace

RipJob::~RipJob()
{
    FinishRipJob(*this);
    CloseEventOnce(readEnded);
}

void StartRipJob(RipJob& job, RipProgress* dialog, const TrackRecord& track,
                 const RipSettings& settings)
{
    job.readEnded = plat::CreateEvent(true, false);
    job.encoder = xtGetEncoder(settings.encoderType);
    if (job.encoder == 0) {
        // Every stream handle is taken: no output can be opened.
        if (dialog) dialog->ShowError(kOpenErrorCaption, kOpenErrorText);
        EndEarly(job, dialog);
        return;
    }
    ConfigureDrive(job.drive);
    if (settings.secure)
        job.secure = std::make_unique<SecureReader>(job.drive, settings.readOffset.offset);
    {
        plat::CriticalSectionLock guard(job.lock);
        job.nextFrame = track.startFrame;
        job.lengthFrames = track.length;
        job.endFrame = track.startFrame + track.length;
    }
    job.readOffset = settings.readOffset;
    job.dialog = dialog;
    job.tap = settings.tap;
    job.wakeEvent = plat::CreateEvent(false, false);
    if (!job.wakeEvent || !SizeRing(job, track, settings.ringStore)) {
        EndEarly(job, dialog);
        return;
    }
    ApplyStreamOptions(
        job.encoder, track,
        StreamTarget{settings.outputFolder, settings.noWrite, settings.fileDir, settings.fileName});
    if (!OpenOutput(job, dialog, settings)) {
        EndEarly(job, dialog);
        return;
    }
    job.chunkBytes = kChunkBytes;
    StartThreads(job, dialog);
}

void CancelRipJob(RipJob& job)
{
    job.cancelRequested.store(1);
    if (job.wakeEvent) plat::SetEvent(job.wakeEvent);
}

bool WaitForRipJobRead(RipJob& job, uint32_t ms)
{
    if (!job.readEnded) return true;
    return plat::WaitForEvent(job.readEnded, ms) == plat::kWaitObject0;
}

uint64_t RipJobProgress(RipJob& job)
{
    uint64_t read;
    {
        plat::CriticalSectionLock guard(job.lock);
        read = job.nextFrame;
    }
    return read + job.encodedBytes.load(std::memory_order_relaxed) / kFrameBytes;
}

bool RaiseRipJobPriority(RipJob& job)
{
    const bool reader = plat::SetThreadNormalPriority(job.readerThread);
    const bool encoder = plat::SetThreadNormalPriority(job.encoderThread);
    return reader || encoder;
}

RipReport FinishRipJob(RipJob& job)
{
    WaitUntilEnded(job.readerThread);
    WaitUntilEnded(job.encoderThread);
    ringRelease(&job.ring);
    CloseEventOnce(job.wakeEvent);
    CloseEventOnce(job.startGate);
    job.encoder = 0;
    RipReport report;
    report.retries = job.retries.load();
    report.readFailed = job.readFailed.load() != 0;
    report.writeFailed = job.writeFailed.load() != 0;
    report.encoderFailed = job.initFailed.load() != 0;
    report.zeroSamples = job.zeroSamples.load();
    report.overreadRefused = job.overreadRefused.load() != 0;
    // The reader has ended: its secure reader is no longer written.
    if (job.secure) {
        report.suspicious = job.secure->suspicious();
        report.suspiciousCount = job.secure->suspiciousCount();
        report.secureReads = job.secure->reads();
    }
    return report;
}
