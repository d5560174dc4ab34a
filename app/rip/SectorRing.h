// The byte queue between the reader thread (the only writer) and the encoder thread (the only
// reader), with a one-shot wake-up for the writer once the reader has drained it far enough.
#pragma once

#include "CdAudio.h"
#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/MemoryStatus.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

// Ring storage kept from one track's rip for the next: a rip of many tracks then pays for fresh
// memory (the kernel's zeroing and page faults) once instead of on every track. Holds only
// blocks that rings have given back; its owner outlives the rings that use it.
class RingStore
{
public:
    RingStore() = default;
    ~RingStore();
    RingStore(const RingStore&) = delete;
    RingStore& operator=(const RingStore&) = delete;
    // The smallest kept block of at least `size` bytes, else a new one (a kept block too small
    // is freed then); null when memory runs out. `blockSize` receives the block's size.
    uint8_t* Take(size_t size, size_t& blockSize);
    void Give(uint8_t* block, size_t blockSize);

private:
    struct Block {
        uint8_t* data;
        size_t size;
    };
    std::mutex lock_;
    std::vector<Block> kept_;
};

struct SectorRing {
    uint8_t* base = nullptr;
    uint8_t* readPos = nullptr;
    uint8_t* writePos = nullptr;
    int32_t capacity = 0;
    std::atomic<int32_t> count{0}; // changed under lock; read without it by the empty check
    plat::CriticalSection lock;
    plat::EventHandle wakeEvent = nullptr;
    int32_t wakeThreshold = 0;
    // The consumer's wait for data: every write and every ringPost counts up `posts`.
    std::mutex postLock;
    std::condition_variable posted;
    uint32_t posts = 0;
    RingStore* store = nullptr; // where the storage goes back to; null: freed
    size_t blockSize = 0;
};

// -1 (all bits set) on success, 0 on failure (size <= 0 or no memory): the ring is then empty
// with capacity 0. Storage held from an earlier track is released first.
int32_t ringInit(SectorRing* ring, int32_t size);
// The same, with the storage taken from `store` (when not null) and given back on release.
int32_t ringInit(SectorRing* ring, int32_t size, RingStore* store);
// Releases the storage; the ring is empty with capacity 0 afterwards.
void ringRelease(SectorRing* ring);
uint32_t ringFreeSpace(SectorRing* ring);
uint32_t ringCount(SectorRing* ring);
// Stores at most the free space; returns the bytes stored.
uint32_t ringWrite(SectorRing* ring, const uint8_t* source, uint32_t length);
// Takes at most what is stored; signals an armed wake event once the free space exceeds its
// threshold, then disarms it.
uint32_t ringRead(SectorRing* ring, uint8_t* destination, uint32_t maximum);
// The consumer's read in place: the stored bytes that lie in one piece from the read position,
// at most `maximum`; *data points at them. They stay stored (the writer does not touch them)
// until ringConsume takes them.
uint32_t ringPeek(SectorRing* ring, const uint8_t** data, uint32_t maximum);
// Takes n peeked bytes (at most what ringPeek gave), as ringRead would have.
void ringConsume(SectorRing* ring, uint32_t n);
// The consumer's wait on an empty ring. Take ringPosts before looking at the ring and at the
// producer's flags; ringWaitForPost then returns as soon as the count has moved on from
// `seen` (a write, or a ringPost after the producer set a flag), at the latest after `ms`.
uint32_t ringPosts(SectorRing* ring);
void ringWaitForPost(SectorRing* ring, uint32_t seen, uint32_t ms);
// Wakes the consumer without data: the producer has set a flag the consumer looks at.
void ringPost(SectorRing* ring);
// Arms (or with a null event, disarms) the one-shot wake-up; replaces any earlier arming.
void ringArmWake(SectorRing* ring, plat::EventHandle event, int32_t threshold);

constexpr uint32_t kFrameBytes = CD_FRAME_BYTES;
constexpr uint32_t kFramesPerRead = 27;

// The ring capacity for a track: the whole track when physical memory allows, less when memory
// is short, never below one read of 27 frames. Writes the three memory trace lines.
uint32_t sizeRingBuffer(uint32_t wantedFrames, uint32_t minimumFrames);
uint32_t sizeRingBuffer(uint32_t wantedFrames, uint32_t minimumFrames,
                        const plat::MemoryStatus& memory);
