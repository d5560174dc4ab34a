#include "RipJob.h"

#include "app/cd/Drive.h"
#include "platform/DebugTrace.h"

#include "Veltraenc.h"

#include <cstdio>
#include <cstring>
#include <string>

RipJob g_ripJob;

namespace
{

// Clears the whole job for the next track. Storage and handles of the previous track were
// released by FinishRipJob.
void ClearJob(RipJob& job)
{
    job.encoder = 0;
    ringRelease(&job.ring);
    job.nextFrame = job.endFrame = job.lengthFrames = 0;
    job.cancelRequested.store(0);
    job.aborted.store(0);
    job.readDone.store(0);
    job.readerThread = job.encoderThread = nullptr;
    job.wakeEvent = nullptr;
    job.startGate = nullptr;
    job.chunkBytes = 0;
    job.ringBytes = 0;
    job.dialog = nullptr;
    job.tap = nullptr;
    job.retries.store(0);
    job.readFailed.store(0);
    job.writeFailed.store(0);
}

// An early end of the set-up: the track is skipped as cancelled and nothing it took is kept.
void EndEarly(RipJob& job, RipProgress* dialog)
{
    if (job.encoder != 0) xtClose(job.encoder);
    job.encoder = 0;
    ringRelease(&job.ring);
    if (job.wakeEvent) plat::CloseEvent(job.wakeEvent);
    job.wakeEvent = nullptr;
    if (dialog) dialog->Close(RipResult::Cancelled);
}

void WaitUntilEnded(plat::ThreadHandle thread)
{
    if (!thread) return;
    while (plat::WaitForThread(thread, plat::kInfinite) != plat::kWaitObject0) {
    }
    plat::CloseThreadHandle(thread);
}

} // namespace

void StartRipJob(RipProgress* dialog, const TrackRecord& track, const RipSettings& settings)
{
    RipJob& job = g_ripJob;
    ClearJob(job);

    job.encoder = xtGetEncoder(settings.encoderType);
    if (job.encoder == 0) {
        EndEarly(job, dialog);
        return;
    }

    ModifyCDParms(g_drive.handle, CD_PARM_CHECK_FRAMES, kCheckFrames);
    ModifyCDParms(g_drive.handle, CD_PARM_OVERLAP_FRAMES, kOverlapFrames);
    ModifyCDParms(g_drive.handle, CD_PARM_JITTER_MODE, kJitterMode);

    {
        plat::CriticalSectionLock guard(job.lock);
        job.nextFrame = track.startFrame;
        job.lengthFrames = track.length;
        job.endFrame = track.startFrame + track.length;
    }
    job.dialog = dialog;
    job.tap = settings.tap;
    job.wakeEvent = plat::CreateEvent(false, false);

    job.ringBytes = sizeRingBuffer(track.length + 1, kMinimumRingReads * kFramesPerRead);
    if (!job.wakeEvent || job.ringBytes > 0x7FFFFFFFu ||
        ringInit(&job.ring, static_cast<int32_t>(job.ringBytes)) == 0) {
        plat::DebugTrace("no ring of %u bytes for the track", job.ringBytes);
        EndEarly(job, dialog);
        return;
    }

    const int h = job.encoder;
    xtSetAsciiOption(h, ID3_TITLE, track.name);
    xtSetAsciiOption(h, ID3_ALBUM, "");
    xtSetAsciiOption(h, ID3_ARTIST, "");
    xtSetAsciiOption(h, ID3_YEAR, "");
    xtSetIntOption(h, ID3_LEVEL, 0);
    xtSetIntOption(h, MP3_BITRATE, 192);
    xtSetIntOption(h, MP3_MAX_BITRATE, 320);
    xtSetIntOption(h, VORBIS_PARAM_5, 128);
    xtSetIntOption(h, MP3_MODE, 0);
    xtSetIntOption(h, MP3_ORIGINAL, 0);
    xtSetIntOption(h, MP3_CRC, 0);
    xtSetIntOption(h, MP3_COPYRIGHT, 0);
    xtSetIntOption(h, MP3_PRIVATE, 0);
    xtSetIntOption(h, LAME_PRESET, 2);
    xtSetIntOption(h, LAME_MPEG_VERSION, 1);
    xtSetIntOption(h, LAME_VBR, 1);
    xtSetIntOption(h, LAME_VBR_QUALITY, 5);
    xtSetIntOption(h, ID3_TRACK, track.rowNumber);
    char fileName[261] = {};
    if (track.ripFlag)
        std::snprintf(fileName, sizeof fileName, "%.260s",
                      settings.fileName.empty() ? track.name : settings.fileName.c_str());
    xtSetAsciiOption(h, OUTPUT_DIR, settings.outputFolder.c_str());
    xtSetAsciiOption(h, FILE_NAME, fileName);
    xtSetAsciiOption(h, FILE_DIR, settings.fileDir.c_str());
    xtSetIntOption(h, LAME_MODE, 0);
    if (settings.noWrite) xtSetIntOption(h, NO_WRITE, 1);

    if (!settings.noWrite && xtCheckOutputFileExists(h) &&
        !(dialog && dialog->AskOverwrite(kOverwriteCaption, kOverwriteText))) {
        EndEarly(job, dialog);
        return;
    }
    if (xtOpenOutputFile(h) == 0) {
        if (dialog) dialog->ShowError(kOpenErrorCaption, kOpenErrorText);
        EndEarly(job, dialog);
        return;
    }
    job.chunkBytes = kChunkBytes;

    // Both threads wait at the gate until both handles are stored: after a cancel the reader
    // needs the encoder thread's handle.
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
            job.readerThread = nullptr;
            EndEarly(job, dialog);
        }
        return;
    }
    plat::SetThreadIdlePriority(job.readerThread);
    plat::SetThreadIdlePriority(job.encoderThread);
    plat::SetEvent(job.startGate);
}

void CancelRipJob(RipJob& job)
{
    job.cancelRequested.store(1);
    if (job.wakeEvent) plat::SetEvent(job.wakeEvent);
}

void FinishRipJob(RipJob& job)
{
    WaitUntilEnded(job.readerThread);
    WaitUntilEnded(job.encoderThread);
    job.readerThread = job.encoderThread = nullptr;
    ringRelease(&job.ring);
    if (job.wakeEvent) plat::CloseEvent(job.wakeEvent);
    if (job.startGate) plat::CloseEvent(job.startGate);
    job.wakeEvent = job.startGate = nullptr;
    job.encoder = 0;
}
