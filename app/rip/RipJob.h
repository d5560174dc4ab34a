// The single shared record of the track being ripped, its set-up and its release.
#pragma once

#include "RipProgress.h"
#include "SectorRing.h"

#include "app/cd/TrackRecord.h"
#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/Thread.h"

#include <atomic>
#include <cstdint>
#include <string>

// Sees every piece of PCM on its way to the encoder library, on the encoder thread (the
// console ripper checksums the audio there, so no second read is needed).
class PcmTap
{
public:
    virtual ~PcmTap() = default;
    virtual void Pcm(const uint8_t* bytes, uint32_t count) = 0;
};

struct RipJob {
    int32_t encoder = 0; // stream handle, 0 for none
    SectorRing ring;
    uint32_t nextFrame = 0; // guarded by lock
    uint32_t endFrame = 0;  // guarded by lock
    uint32_t lengthFrames = 0;
    std::atomic<int32_t> cancelRequested{0};
    std::atomic<int32_t> aborted{0};
    std::atomic<int32_t> readDone{0};
    plat::ThreadHandle readerThread = nullptr;
    plat::ThreadHandle encoderThread = nullptr;
    plat::EventHandle wakeEvent = nullptr;
    plat::CriticalSection lock;
    int32_t chunkBytes = 0;
    uint32_t ringBytes = 0;
    RipProgress* dialog = nullptr;
    PcmTap* tap = nullptr;
    // Both threads wait on it until both handles are stored.
    plat::EventHandle startGate = nullptr;
    // For reports: re-reads the reader needed, whether it gave up, whether the stream could
    // not write everything.
    std::atomic<uint32_t> retries{0};
    std::atomic<int32_t> readFailed{0};
    std::atomic<int32_t> writeFailed{0};
};

// The job of the track being ripped; one track at a time.
extern RipJob g_ripJob;

struct RipSettings {
    int encoderType = 1;
    std::string outputFolder;
    PcmTap* tap = nullptr; // optional
    bool noWrite = false;  // encode and tap, but write no file (and ask nothing)
    std::string fileDir;   // folders below the output folder ("a/b"); empty: none
    std::string fileName;  // the file's name when not the track's; the library cleans both
};

// Fixed values of every rip.
constexpr uint32_t kMinimumRingReads = 12;
constexpr uint32_t kCheckFrames = 3;
constexpr uint32_t kOverlapFrames = 1;
constexpr uint32_t kJitterMode = 2;
constexpr int32_t kChunkBytes = 4096;

constexpr const char kOverwriteCaption[] = "Overwrite?";
constexpr const char kOverwriteText[] =
    "The output file already exists.  Click OK to overwrite the file, or Cancel to quit.";
constexpr const char kOpenErrorCaption[] = "Error";
constexpr const char kOpenErrorText[] = "The output file could not be opened!";

// Prepares the job for the track and starts its reader and encoder threads; on an early end
// (overwrite declined, output not opened, no stream or no ring storage) it closes the dialog
// with the cancelled result and releases what it took.
void StartRipJob(RipProgress* dialog, const TrackRecord& track, const RipSettings& settings);

// Cancel: the threads wind down by themselves; the reader wakes at once.
void CancelRipJob(RipJob& job);

// Waits until both threads of the job have ended (they always do), then releases the job's
// ring storage, event and thread handles. Safe after an early end and when nothing started.
void FinishRipJob(RipJob& job);

unsigned ReaderThread(void* job);
unsigned EncoderThread(void* job);
