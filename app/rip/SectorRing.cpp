#include "SectorRing.h"

#include "platform/DebugTrace.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

namespace
{

// Copies into the ring at pos, splitting at the end of the block; returns the new position.
uint8_t* CopyIn(SectorRing* ring, uint8_t* pos, const uint8_t* src, uint32_t n)
{
    uint8_t* end = ring->base + ring->capacity;
    if (pos + n < end) {
        std::memcpy(pos, src, n);
        return pos + n;
    }
    const uint32_t first = static_cast<uint32_t>(end - pos);
    std::memcpy(pos, src, first);
    std::memcpy(ring->base, src + first, n - first);
    return ring->base + (n - first);
}

uint8_t* CopyOut(SectorRing* ring, uint8_t* pos, uint8_t* dst, uint32_t n)
{
    uint8_t* end = ring->base + ring->capacity;
    if (pos + n < end) {
        std::memcpy(dst, pos, n);
        return pos + n;
    }
    const uint32_t first = static_cast<uint32_t>(end - pos);
    std::memcpy(dst, pos, first);
    std::memcpy(dst + first, ring->base, n - first);
    return ring->base + (n - first);
}

// A ring of a whole track is tens of megabytes of fresh memory, first touched by the reader's
// copies: in 2 MiB pages that costs one fault where 4 KiB pages cost 512.
constexpr size_t kHugePage = size_t{2} << 20;

uint8_t* Allocate(size_t size)
{
    if (size < kHugePage) return static_cast<uint8_t*>(std::malloc(size));
    const size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    void* block = std::aligned_alloc(kHugePage, rounded);
    if (block) madvise(block, rounded, MADV_HUGEPAGE); // a hint: 4 KiB pages work as well
    return static_cast<uint8_t*>(block);
}

} // namespace

RingStore::~RingStore()
{
    for (const Block& b : kept_)
        std::free(b.data);
}

uint8_t* RingStore::Take(size_t size, size_t& blockSize)
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto best = kept_.end();
        for (auto it = kept_.begin(); it != kept_.end(); ++it)
            if (it->size >= size && (best == kept_.end() || it->size < best->size)) best = it;
        if (best != kept_.end()) {
            const Block b = *best;
            kept_.erase(best);
            blockSize = b.size;
            return b.data;
        }
        if (!kept_.empty()) {
            // None fits: one kept block makes room for the new one, so the store stays as
            // large as the rings in flight.
            std::free(kept_.back().data);
            kept_.pop_back();
        }
    }
    blockSize = size;
    return Allocate(size);
}

void RingStore::Give(uint8_t* block, size_t blockSize)
{
    if (!block) return;
    std::lock_guard<std::mutex> guard(lock_);
    try {
        kept_.push_back({block, blockSize});
    } catch (...) {
        std::free(block);
    }
}

void ringRelease(SectorRing* ring)
{
    if (!ring) return;
    plat::CriticalSectionLock guard(ring->lock);
    if (ring->store)
        ring->store->Give(ring->base, ring->blockSize);
    else
        std::free(ring->base);
    ring->store = nullptr;
    ring->blockSize = 0;
    ring->base = ring->readPos = ring->writePos = nullptr;
    ring->capacity = 0;
    ring->count.store(0);
    ring->wakeEvent = nullptr;
    ring->wakeThreshold = 0;
}

int32_t ringInit(SectorRing* ring, int32_t size)
{
    return ringInit(ring, size, nullptr);
}

int32_t ringInit(SectorRing* ring, int32_t size, RingStore* store)
{
    if (!ring) return 0;
    ringRelease(ring);
    if (size <= 0) return 0;
    size_t blockSize = static_cast<size_t>(size);
    uint8_t* block =
        store ? store->Take(blockSize, blockSize) : Allocate(static_cast<size_t>(size));
    if (!block) return 0;
    plat::CriticalSectionLock guard(ring->lock);
    ring->store = store;
    ring->blockSize = blockSize;
    ring->base = ring->readPos = ring->writePos = block;
    ring->capacity = size;
    ring->count.store(0);
    return -1;
}

uint32_t ringFreeSpace(SectorRing* ring)
{
    if (!ring) return 0;
    plat::CriticalSectionLock guard(ring->lock);
    return static_cast<uint32_t>(ring->capacity - ring->count.load());
}

uint32_t ringCount(SectorRing* ring)
{
    if (!ring) return 0;
    plat::CriticalSectionLock guard(ring->lock);
    return static_cast<uint32_t>(ring->count.load());
}

uint32_t ringWrite(SectorRing* ring, const uint8_t* source, uint32_t length)
{
    if (!ring || !source) return 0;
    uint32_t n;
    {
        plat::CriticalSectionLock guard(ring->lock);
        const uint32_t free = static_cast<uint32_t>(ring->capacity - ring->count.load());
        n = std::min(length, free);
        if (n == 0) return 0;
        ring->writePos = CopyIn(ring, ring->writePos, source, n);
        ring->count.fetch_add(static_cast<int32_t>(n));
    }
    ringPost(ring);
    return n;
}

namespace
{

// After n bytes have left the ring (its lock held): an empty ring starts again at its base, and
// an armed wake-up fires once the free space passes its threshold.
void Taken(SectorRing* ring, uint32_t n)
{
    ring->count.fetch_sub(static_cast<int32_t>(n));
    if (ring->count.load() == 0) ring->readPos = ring->writePos = ring->base;
    if (ring->wakeEvent && ring->capacity - ring->count.load() > ring->wakeThreshold) {
        plat::SetEvent(ring->wakeEvent);
        ring->wakeEvent = nullptr;
    }
}

} // namespace

uint32_t ringRead(SectorRing* ring, uint8_t* destination, uint32_t maximum)
{
    if (!ring || !destination || ring->count.load(std::memory_order_relaxed) == 0) return 0;
    plat::CriticalSectionLock guard(ring->lock);
    const uint32_t n = std::min(maximum, static_cast<uint32_t>(ring->count.load()));
    if (n == 0) return 0;
    ring->readPos = CopyOut(ring, ring->readPos, destination, n);
    Taken(ring, n);
    return n;
}

uint32_t ringPeek(SectorRing* ring, const uint8_t** data, uint32_t maximum)
{
    if (!ring || !data || ring->count.load(std::memory_order_relaxed) == 0) return 0;
    plat::CriticalSectionLock guard(ring->lock);
    const auto toEnd = static_cast<uint32_t>(ring->base + ring->capacity - ring->readPos);
    *data = ring->readPos;
    return std::min({maximum, static_cast<uint32_t>(ring->count.load()), toEnd});
}

void ringConsume(SectorRing* ring, uint32_t n)
{
    if (!ring || n == 0) return;
    plat::CriticalSectionLock guard(ring->lock);
    n = std::min(n, static_cast<uint32_t>(ring->count.load()));
    uint8_t* end = ring->base + ring->capacity;
    ring->readPos += n;
    if (ring->readPos >= end) ring->readPos -= ring->capacity;
    Taken(ring, n);
}

uint32_t ringPosts(SectorRing* ring)
{
    if (!ring) return 0;
    std::lock_guard<std::mutex> guard(ring->postLock);
    return ring->posts;
}

void ringWaitForPost(SectorRing* ring, uint32_t seen, uint32_t ms)
{
    if (!ring) return;
    std::unique_lock<std::mutex> guard(ring->postLock);
    ring->posted.wait_for(guard, std::chrono::milliseconds(ms),
                          [&] { return ring->posts != seen; });
}

void ringPost(SectorRing* ring)
{
    if (!ring) return;
    {
        std::lock_guard<std::mutex> guard(ring->postLock);
        ++ring->posts;
    }
    ring->posted.notify_one();
}

void ringArmWake(SectorRing* ring, plat::EventHandle event, int32_t threshold)
{
    if (!ring) return;
    plat::CriticalSectionLock guard(ring->lock);
    ring->wakeEvent = event;
    ring->wakeThreshold = threshold;
}

uint32_t sizeRingBuffer(uint32_t wantedFrames, uint32_t minimumFrames,
                        const plat::MemoryStatus& memory)
{
    const uint32_t want = wantedFrames * kFrameBytes;
    const uint32_t minimum = minimumFrames * kFrameBytes;
    plat::DebugTrace("memory load: %ld", static_cast<long>(memory.memoryLoad));
    plat::DebugTrace("avail. phys. memory: %ld", static_cast<long>(memory.availPhysical));
    plat::DebugTrace("avail. virt. memory: %ld", static_cast<long>(memory.availVirtual));

    uint32_t size;
    if (memory.memoryLoad >= 80)
        size = minimum;
    else if (memory.availPhysical >= want)
        size = want;
    else if (memory.availVirtual >= want)
        size = want / 2;
    else
        size = static_cast<uint32_t>(std::max<uint64_t>(memory.availPhysical / 2, minimum));
    // The reader needs room for one whole request, or it would wait for ever.
    return std::max(size, kFramesPerRead * kFrameBytes);
}

uint32_t sizeRingBuffer(uint32_t wantedFrames, uint32_t minimumFrames)
{
    return sizeRingBuffer(wantedFrames, minimumFrames, plat::GlobalMemoryStatus());
}
