// The consuming half of a rip: takes the PCM out of the ring in pieces of at most 4096 bytes,
// feeds the encoder library, moves the meter, and at the end flushes, closes and closes the
// dialog. The pieces are encoded where they lie in the ring: no copy on the way.
#include "RipJob.h"

#include "platform/Thread.h"

#include "Veltraenc.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <sys/stat.h>
#include <vector>

namespace
{

constexpr uint32_t kEmptyRingWaitMs = 20;
constexpr uint32_t kPiecesPerLook = 16;

} // namespace

unsigned EncoderThread(void* argument)
{
    RipJob& job = *static_cast<RipJob*>(argument);
    while (plat::WaitForEvent(job.startGate, plat::kInfinite) != plat::kWaitObject0) {
    }

    const auto pieceBytes =
        static_cast<uint32_t>(job.chunkBytes > 0 ? job.chunkBytes : kChunkBytes);
    std::vector<uint8_t> spill;
    bool ok = true;
    try {
        spill.resize(pieceBytes);
    } catch (const std::bad_alloc&) {
        ok = false;
        job.aborted.store(1, std::memory_order_release);
    }
    if (ok && xtInit(job.encoder) == 0) {
        // No back-end, or one that refused the stream's record: the track fails, and the
        // reader is stopped as on a cancel.
        ok = false;
        job.initFailed.store(1);
        CancelRipJob(job);
    }
    const uint32_t total = job.lengthFrames * kFrameBytes;
    uint32_t done = 0;
    int shown = -1;
    while (ok) {
        // Taken before the flags and the ring: a write or a flag after this point ends the wait.
        const uint32_t seen = ringPosts(&job.ring);
        if (job.aborted.load(std::memory_order_acquire)) break;
        // readDone first: once it is set nothing more arrives, so an empty ring after it means
        // the whole track has passed.
        const bool readDone = job.readDone.load(std::memory_order_acquire) != 0;
        const uint32_t available = ringCount(&job.ring);
        if (available == 0) {
            if (readDone) break;
            // Poll again as soon as the reader writes or stops, without spinning meanwhile; the
            // bound keeps a flag set without a post from going unseen for long. (Waiting for a
            // larger fill saves wake-ups but costs more than it saves: the audio has left the
            // cache by the time it is encoded.)
            ringWaitForPost(&job.ring, seen, kEmptyRingWaitMs);
            continue;
        }
        // Several pieces per look at the ring: each look takes its lock twice.
        const uint32_t want = std::min(available, kPiecesPerLook * pieceBytes);
        const uint8_t* data = nullptr;
        uint32_t got = ringPeek(&job.ring, &data, want);
        bool copied = false;
        if (got < want) {
            // The ring's end: whole pieces only, and a piece across the end is copied out, so
            // the pieces are the same as the ring's reads would give.
            got -= got % pieceBytes;
            if (got == 0) {
                got = ringRead(&job.ring, spill.data(), std::min(available, pieceBytes));
                data = spill.data();
                copied = true;
            }
        }
        for (uint32_t at = 0; at < got; at += pieceBytes) {
            const uint32_t n = std::min(pieceBytes, got - at);
            if (job.tap) job.tap->Pcm(data + at, n);
            xtEncode(job.encoder, data + at, static_cast<int>(n));
        }
        if (!copied) ringConsume(&job.ring, got);
        done += got;
        job.encodedBytes.store(done, std::memory_order_relaxed);
        const int percent = total ? static_cast<int>(uint64_t{done} * 100 / total) : 100;
        if (percent != shown && job.dialog) {
            job.dialog->SetPosition(percent);
            shown = percent;
        }
    }
    spill = {};
    const bool initFailed = job.initFailed.load() != 0;
    if (!initFailed) xtFlush(job.encoder);
    // A stream that could not write everything is no finished track.
    const bool closed = xtClose(job.encoder) != 0;
    if (!closed && !initFailed) job.writeFailed.store(1);
    // The empty file of a stream that never started is no output.
    if (initFailed && !job.outputFile.empty()) {
        struct stat info {
        };
        if (stat(job.outputFile.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0)
            std::remove(job.outputFile.c_str());
    }

    if (job.dialog) {
        plat::Sleep(job.dialog->ClosePauseMs());
        const bool finished = closed && !initFailed && !job.aborted.load(std::memory_order_acquire);
        job.dialog->Close(finished ? RipResult::Finished : RipResult::Cancelled);
    }
    return 0;
}
