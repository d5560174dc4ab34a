// The producing half of a rip: reads the track in requests of 27 frames into the ring, pacing
// itself on the ring's free space, with the jitter-corrected re-read on status 4, and with the
// drive's read offset corrected when one is set.
#include "OffsetReader.h"
#include "RipJob.h"
#include "SecureReader.h"

#include "platform/DebugTrace.h"

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace
{

constexpr uint32_t kPacingWaitMs = 180000;
constexpr uint32_t kEndOfTrackWaitMs = 5000;
constexpr uint32_t kDrainedBytes = 500;
constexpr uint32_t kCancelWaitMs = 120000;
constexpr uint32_t kCancelWaitMoreMs = 30000;
constexpr int kOverlappedTries = 3;

// A sector buffer: the header, then room for 27 frames.
struct SectorBuffer {
    SectorBuffer()
        : memory(static_cast<uint8_t*>(
              std::calloc(1, sizeof(CDSectorHeader) + kFramesPerRead * kFrameBytes)))
    {
        if (memory) header()->bufferLength = kFramesPerRead * kFrameBytes;
    }
    ~SectorBuffer() { std::free(memory); }
    SectorBuffer(const SectorBuffer&) = delete;
    SectorBuffer& operator=(const SectorBuffer&) = delete;
    CDSectorHeader* header() { return reinterpret_cast<CDSectorHeader*>(memory); }
    uint8_t* data() { return memory + sizeof(CDSectorHeader); }
    uint8_t* memory;
};

struct OwnEvent {
    OwnEvent() : handle(plat::CreateEvent(false, false)) {}
    ~OwnEvent()
    {
        if (handle) plat::CloseEvent(handle);
    }
    plat::EventHandle handle;
};

bool Cancelled(const RipJob& job)
{
    return job.cancelRequested.load(std::memory_order_acquire) != 0;
}

// A read the library reports as done must hold exactly the frames it claims, within the buffer
// and the request: anything else would put wrong or missing audio into the file.
bool Consistent(CDSectorHeader* h, uint32_t requested)
{
    return h->frameCount > 0 && h->frameCount <= requested &&
           h->bytesReturned == h->frameCount * kFrameBytes &&
           static_cast<uint64_t>(h->dataOffset) + h->bytesReturned <= h->bufferLength;
}

// Reads `frames` frames from `start` (a frame before 0 lies in the lead-in).
uint32_t Read(RipJob& job, SectorBuffer& current, SectorBuffer& reference, int64_t start,
              uint32_t frames)
{
    CDSectorHeader* cur = current.header();
    cur->startFrame = static_cast<uint32_t>(start);
    cur->frameCount = frames;
    cur->bytesReturned = 0;
    cur->dataOffset = 0;

    if (job.secure) {
        uint32_t status = job.secure->Read(cur->startFrame, frames, current.data());
        if (status == CD_STATUS_OK) cur->bytesReturned = frames * kFrameBytes;
        return status;
    }
    uint32_t status = ReadCDAudioLBA(job.drive, cur);
    if (status == CD_STATUS_RETRY) {
        job.retries.fetch_add(1);
        CDSectorHeader* ref = reference.header();
        if (ref->bytesReturned != 0) {
            // Keep only the reference's last overlap frames.
            ref->dataOffset += (ref->frameCount - kOverlapFrames) * kFrameBytes;
            ref->startFrame += ref->frameCount - kOverlapFrames;
            ref->frameCount = kOverlapFrames;
            ref->bytesReturned = kOverlapFrames * kFrameBytes;
        } else {
            ref->dataOffset = ref->frameCount;
            ref->bytesReturned = ref->frameCount;
        }
        for (int i = 0; i < kOverlappedTries; ++i) {
            status = ReadCDAudioLBAEx(job.drive, cur, ref);
            if (status == CD_STATUS_OK) break;
            job.retries.fetch_add(1);
        }
    }
    if (status == CD_STATUS_OK && !Consistent(cur, frames)) {
        plat::DebugTrace("read of frame %u returned an inconsistent buffer", cur->startFrame);
        status = CD_STATUS_ERROR;
    }
    return status;
}

// Waits, bounded, until the ring holds fewer than kDrainedBytes: the encoder thread has taken
// nearly everything. A cancel (also the encoder thread's, when its stream cannot start and
// nothing will drain) ends the wait.
void WaitForDrain(RipJob& job, plat::EventHandle own)
{
    plat::ResetEvent(own);
    ringArmWake(&job.ring, own, job.ring.capacity - static_cast<int32_t>(kDrainedBytes));
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kEndOfTrackWaitMs);
    // Armed after the ring had already drained, nothing would signal: look before waiting.
    while (ringCount(&job.ring) >= kDrainedBytes && !Cancelled(job)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) break;
        plat::EventHandle events[2] = {own, job.wakeEvent};
        plat::WaitForAnyEvent(events, 2, static_cast<uint32_t>(left));
    }
}

// Waits until the ring has room for `need` bytes, pacing on the encoder thread's drain below
// 80 per cent; false when a cancel came first.
bool WaitForRoom(RipJob& job, plat::EventHandle own, uint32_t need)
{
    while (ringFreeSpace(&job.ring) < need) {
        if (Cancelled(job)) return false;
        plat::ResetEvent(own);
        ringArmWake(&job.ring, own, static_cast<int32_t>(job.ringBytes * 8 / 10));
        // The encoder thread may have drained the ring before the arming: look again.
        if (ringFreeSpace(&job.ring) >= need) break;
        plat::EventHandle events[2] = {own, job.wakeEvent};
        plat::WaitForAnyEvent(events, 2, kPacingWaitMs);
    }
    return !Cancelled(job);
}

// Reads the track into the ring until its end, a cancel or a failed read.
void ReadTrack(RipJob& job, plat::EventHandle own, SectorBuffer& first, SectorBuffer& second)
{
    bool alternate = false;
    uint32_t d = kFramesPerRead;
    for (;;) {
        uint32_t next, end;
        {
            plat::CriticalSectionLock guard(job.lock);
            next = job.nextFrame;
            end = job.endFrame;
            if (end - next < kFramesPerRead && next < end) d = end - next;
        }
        // Every frame of the track is read, the last one included.
        if (next >= end) {
            job.readDone.store(1, std::memory_order_release);
            return;
        }
        if (Cancelled(job) || !WaitForRoom(job, own, d * kFrameBytes)) {
            job.aborted.store(1, std::memory_order_release);
            return;
        }
        SectorBuffer& current = alternate ? first : second;
        SectorBuffer& reference = alternate ? second : first;
        const uint32_t status = Read(job, current, reference, next, d);
        alternate = !alternate;
        if (status != CD_STATUS_OK) {
            job.readFailed.store(1);
            job.aborted.store(1, std::memory_order_release);
            return;
        }
        CDSectorHeader* cur = current.header();
        ringWrite(&job.ring, current.data() + cur->dataOffset, cur->bytesReturned);
        plat::CriticalSectionLock guard(job.lock);
        job.nextFrame += cur->frameCount;
    }
}

// Reads the drive's frames that hold the track's samples at the job's read offset and writes
// only the track's samples into the ring; outside the disc zeros stand in, unless the drive
// is asked to overread and does.
void ReadTrackWithOffset(RipJob& job, plat::EventHandle own, SectorBuffer& first,
                         SectorBuffer& second)
{
    uint32_t start, end;
    {
        plat::CriticalSectionLock guard(job.lock);
        start = job.nextFrame;
        end = job.endFrame;
    }
    OffsetReader reader(start, end - start, job.readOffset.discEnd, job.readOffset.offset);
    SectorBuffer silence; // calloc'd: zeros
    if (!silence.memory) {
        job.readFailed.store(1);
        job.aborted.store(1, std::memory_order_release);
        return;
    }
    bool alternate = false;
    while (!reader.done()) {
        const OffsetRequest request = reader.Next(kFramesPerRead);
        if (Cancelled(job) || !WaitForRoom(job, own, request.count * kFrameBytes)) {
            job.aborted.store(1, std::memory_order_release);
            return;
        }
        const uint8_t* data = silence.data();
        bool zeros = request.outside && !job.readOffset.overread;
        if (!zeros) {
            SectorBuffer& current = alternate ? first : second;
            SectorBuffer& reference = alternate ? second : first;
            const uint32_t status = Read(job, current, reference, request.frame, request.count);
            alternate = !alternate;
            if (status == CD_STATUS_OK && current.header()->frameCount == request.count) {
                data = current.data() + current.header()->dataOffset;
            } else if (request.outside) {
                // A drive that cannot overread: zeros, as without asking.
                job.overreadRefused.store(1);
                zeros = true;
            } else {
                job.readFailed.store(1);
                job.aborted.store(1, std::memory_order_release);
                return;
            }
        }
        const KeptBytes kept = reader.Keep(request, zeros);
        ringWrite(&job.ring, data + kept.from, static_cast<uint32_t>(kept.length));
    }
    job.zeroSamples.store(reader.zeroSamplesFront() + reader.zeroSamplesBack());
    {
        plat::CriticalSectionLock guard(job.lock);
        job.nextFrame = end;
    }
    job.readDone.store(1, std::memory_order_release);
}

// After a cancel the job is released only once the encoder thread has ended too.
void WaitForEncoderAfterCancel(RipJob& job)
{
    if (plat::WaitForThread(job.encoderThread, kCancelWaitMs) == plat::kWaitObject0) return;
    job.aborted.store(1, std::memory_order_release);
    ringPost(&job.ring);
    // A thread cannot be stopped safely from outside; it ends by itself, and the job is
    // released only once both threads have ended.
    if (plat::WaitForThread(job.encoderThread, kCancelWaitMoreMs) != plat::kWaitObject0)
        plat::DebugTrace("encoder thread still running after a cancel");
}

} // namespace

unsigned ReaderThread(void* argument)
{
    RipJob& job = *static_cast<RipJob*>(argument);
    while (plat::WaitForEvent(job.startGate, plat::kInfinite) != plat::kWaitObject0) {
    }

    OwnEvent own;
    SectorBuffer first, second;
    if (!own.handle || !first.memory || !second.memory) {
        job.readFailed.store(1);
        job.aborted.store(1, std::memory_order_release);
    } else if (job.readOffset.offset != 0) {
        ReadTrackWithOffset(job, own.handle, first, second);
    } else {
        ReadTrack(job, own.handle, first, second);
    }
    // readDone or aborted is set: an encoder thread waiting on an empty ring looks again.
    ringPost(&job.ring);
    // The drive is free for the next track while this one's ring drains.
    if (job.readEnded) plat::SetEvent(job.readEnded);
    if (own.handle && job.readDone.load(std::memory_order_acquire)) WaitForDrain(job, own.handle);
    if (Cancelled(job)) WaitForEncoderAfterCancel(job);
    ringArmWake(&job.ring, nullptr, 0);
    return 0;
}
