// One track's rip job: created by its owner (the rip command), handed to the reader and encoder
// threads and to the front-end, and released by its owner once both threads have ended.
#pragma once

#include "RipProgress.h"
#include "SectorRing.h"
#include "SecureReader.h"

#include "app/cd/TrackRecord.h"
#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/Thread.h"

#include "Veltraenc.h"
#include "Veltrarip32.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Sees every piece of PCM on its way to the encoder library, on the encoder thread (the
// console ripper checksums the audio there, so no second read is needed).
class PcmTap
{
public:
    virtual ~PcmTap() = default;
    virtual void Pcm(const uint8_t* bytes, uint32_t count) = 0;
};

// A tap that hands every piece to its sink's Add(bytes, count), e.g. a track's checksums.
template <class Sink> class AddingTap final : public PcmTap
{
public:
    explicit AddingTap(Sink& sink) : sink_(sink) {}
    void Pcm(const uint8_t* bytes, uint32_t count) override { sink_.Add(bytes, count); }

private:
    Sink& sink_;
};

// Read-offset correction: the drive's read offset in samples (as the AccurateRip drive-offset
// table counts it), the first frame after the disc's audio, and whether to ask the drive for
// the lead-in and lead-out instead of filling zeros there. Off with offset 0.
struct ReadOffsetSetup {
    int32_t offset = 0;
    uint32_t discEnd = 0;
    bool overread = false;
};

struct RipJob {
    RipJob() = default;
    explicit RipJob(CDHANDLE readFrom) : drive(readFrom) {}
    // Waits for the threads and releases what the job took (FinishRipJob).
    ~RipJob();
    RipJob(const RipJob&) = delete;
    RipJob& operator=(const RipJob&) = delete;

    CDHANDLE drive = 0;  // the drive the reader reads from; only the reader uses it
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
    // Set (manual reset) once the reader reads no more: the drive is free for the next track.
    plat::EventHandle readEnded = nullptr;
    // For the report: re-reads the reader needed, whether it gave up, whether the stream could
    // not write everything.
    std::atomic<uint32_t> retries{0};
    std::atomic<int32_t> readFailed{0};
    std::atomic<int32_t> writeFailed{0};
    // The stream's xtInit failed (no back-end, or one refusing the record): nothing encoded.
    std::atomic<int32_t> initFailed{0};
    // The file opened for the track; empty when none is written.
    std::string outputFile;
    ReadOffsetSetup readOffset; // set before the threads start
    // Samples of the track outside the disc that were filled with zeros, and whether the
    // drive refused to read there when asked to overread.
    std::atomic<uint64_t> zeroSamples{0};
    std::atomic<int32_t> overreadRefused{0};
    // Secure mode: the reader reads through it; null for a plain rip.
    std::unique_ptr<SecureReader> secure;
    std::atomic<uint32_t> encodedBytes{0}; // taken from the ring by the encoder thread so far
};

struct RipSettings {
    int encoderType = XT_ENCODER_WAV;
    std::string outputFolder;
    PcmTap* tap = nullptr; // optional
    bool noWrite = false;  // encode and tap, but write no file (and ask nothing)
    ReadOffsetSetup readOffset;
    std::string fileDir{};          // folders below the output folder ("a/b"); empty: none
    std::string fileName{};         // the file's name when not the track's; the library cleans both
    bool secure = false;            // read every stretch until two reads agree (SecureReader)
    RingStore* ringStore = nullptr; // keeps ring storage for the next track; null: none
};

// How a job went, once both its threads have ended.
struct RipReport {
    uint32_t retries = 0;         // re-reads the reader needed
    bool readFailed = false;      // the reader gave up on a read
    bool writeFailed = false;     // the stream could not write everything
    bool encoderFailed = false;   // the stream could not be started
    uint64_t zeroSamples = 0;     // samples outside the disc, filled with zeros
    bool overreadRefused = false; // the drive would not read into the lead-in or lead-out
    // Secure mode: runs of disc samples no two reads agreed on (the first
    // SecureReader::kMaxRuns), their count in samples, and the drive's reads of audio.
    std::vector<SecureReader::Run> suspicious;
    uint64_t suspiciousCount = 0;
    uint64_t secureReads = 0;
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
// with the cancelled result and releases what it took. A job is started once.
void StartRipJob(RipJob& job, RipProgress* dialog, const TrackRecord& track,
                 const RipSettings& settings);

// Cancel: the threads wind down by themselves; the reader wakes at once.
void CancelRipJob(RipJob& job);

// True once the job's reader reads no more (at once after an early end); waits at most `ms`.
bool WaitForRipJobRead(RipJob& job, uint32_t ms);

// Frames the job has moved so far: read by its reader plus taken from the ring by its encoder
// thread (an audio second is 75 of each).
uint64_t RipJobProgress(RipJob& job);
// Lifts the job's threads from idle to normal priority: idle threads get next to no processor
// time on a busy machine, so a front-end that sees no progress for a while calls this, as the
// system lifts a starved thread. False when neither thread was running.
bool RaiseRipJobPriority(RipJob& job);

// Waits until both threads of the job have ended (they always do), releases the job's ring
// storage, events and thread handles, and reports how it went. Safe after an early end, when
// nothing started and when called again.
RipReport FinishRipJob(RipJob& job);

unsigned ReaderThread(void* job);
unsigned EncoderThread(void* job);
