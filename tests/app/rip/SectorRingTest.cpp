#include "app/rip/SectorRing.h"

#include "platform/Thread.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace
{

std::vector<uint8_t> Bytes(size_t n, uint8_t from = 0)
{
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), from);
    return v;
}

class Ring : public ::testing::Test
{
protected:
    void TearDown() override { ringRelease(&ring); }
    SectorRing ring;
};

} // namespace

TEST_F(Ring, InitRefusesNonPositiveSizesAndNullRings)
{
    EXPECT_EQ(ringInit(&ring, 0), 0);
    EXPECT_EQ(ringInit(&ring, -5), 0);
    EXPECT_EQ(ring.capacity, 0);
    EXPECT_EQ(ringInit(&ring, 10), -1);
    EXPECT_EQ(ringFreeSpace(&ring), 10u);
    EXPECT_EQ(ringInit(nullptr, 10), 0);
    uint8_t b[4] = {};
    EXPECT_EQ(ringWrite(nullptr, b, 4), 0u);
    EXPECT_EQ(ringRead(nullptr, b, 4), 0u);
    EXPECT_EQ(ringFreeSpace(nullptr), 0u);
    EXPECT_EQ(ringCount(nullptr), 0u);
    ringArmWake(nullptr, nullptr, 0);
    EXPECT_EQ(ringWrite(&ring, nullptr, 4), 0u);
    EXPECT_EQ(ringRead(&ring, nullptr, 4), 0u);
}

TEST_F(Ring, WriteEndingExactlyAtTheEndWrapsWritePosToBase)
{
    ringInit(&ring, 10);
    auto a = Bytes(6);
    ASSERT_EQ(ringWrite(&ring, a.data(), 6), 6u);
    uint8_t out[10];
    ASSERT_EQ(ringRead(&ring, out, 4), 4u);
    auto b = Bytes(4, 100);
    EXPECT_EQ(ringWrite(&ring, b.data(), 4), 4u); // ends exactly at the end of the block
    EXPECT_EQ(ring.writePos, ring.base);
    auto c = Bytes(3, 200);
    EXPECT_EQ(ringWrite(&ring, c.data(), 3), 3u); // wraps into the start
    ASSERT_EQ(ringRead(&ring, out, 10), 9u);
    const uint8_t expected[9] = {4, 5, 100, 101, 102, 103, 200, 201, 202};
    EXPECT_EQ(std::vector<uint8_t>(out, out + 9), std::vector<uint8_t>(expected, expected + 9));
}

TEST_F(Ring, PeekGivesTheStoredBytesInOnePieceUpToTheEndAndConsumeTakesThem)
{
    ringInit(&ring, 10);
    auto a = Bytes(8);
    ringWrite(&ring, a.data(), 8);
    const uint8_t* p = nullptr;
    ASSERT_EQ(ringPeek(&ring, &p, 6), 6u);
    EXPECT_EQ(std::vector<uint8_t>(p, p + 6), Bytes(6));
    EXPECT_EQ(ringFreeSpace(&ring), 2u); // peeked bytes stay stored
    ringConsume(&ring, 6);
    auto b = Bytes(5, 50);
    ASSERT_EQ(ringWrite(&ring, b.data(), 5), 5u); // 3 at the end, 2 wrapped to the start
    ASSERT_EQ(ringPeek(&ring, &p, 100), 4u);      // only up to the end of the block
    EXPECT_EQ(std::vector<uint8_t>(p, p + 4), (std::vector<uint8_t>{6, 7, 50, 51}));
    ringConsume(&ring, 4);
    EXPECT_EQ(ring.readPos, ring.base);
    ASSERT_EQ(ringPeek(&ring, &p, 100), 3u);
    EXPECT_EQ(std::vector<uint8_t>(p, p + 3), (std::vector<uint8_t>{52, 53, 54}));
    ringConsume(&ring, 3);
    EXPECT_EQ(ringCount(&ring), 0u);
    EXPECT_EQ(ringPeek(&ring, &p, 100), 0u);
}

TEST_F(Ring, WriteBeyondTheFreeSpaceStoresWhatFitsAndAFullRingTakesNothing)
{
    ringInit(&ring, 8);
    auto a = Bytes(12);
    EXPECT_EQ(ringWrite(&ring, a.data(), 12), 8u);
    EXPECT_EQ(ringFreeSpace(&ring), 0u);
    EXPECT_EQ(ringWrite(&ring, a.data(), 1), 0u);
    uint8_t out[8];
    EXPECT_EQ(ringRead(&ring, out, 8), 8u);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 8), Bytes(8));
}

TEST_F(Ring, ReadingTheLastByteResetsBothPositionsAndReadsTakeOnlyWhatIsStored)
{
    ringInit(&ring, 16);
    auto a = Bytes(5);
    ringWrite(&ring, a.data(), 5);
    uint8_t out[16];
    EXPECT_EQ(ringRead(&ring, out, 16), 5u);
    EXPECT_EQ(ring.readPos, ring.base);
    EXPECT_EQ(ring.writePos, ring.base);
    EXPECT_EQ(ringRead(&ring, out, 16), 0u);
}

TEST_F(Ring, WakeFiresOnceWhenTheFreeSpaceExceedsTheThreshold)
{
    ringInit(&ring, 100);
    plat::EventHandle wake = plat::CreateEvent(false, false);
    auto a = Bytes(100);
    ringWrite(&ring, a.data(), 100);
    ringArmWake(&ring, wake, 40);
    uint8_t out[100];
    ringRead(&ring, out, 40); // exactly 40 free: not more than the threshold
    EXPECT_EQ(plat::WaitForEvent(wake, 0), plat::kWaitTimeout);
    ringRead(&ring, out, 1); // 41 free
    EXPECT_EQ(plat::WaitForEvent(wake, 0), plat::kWaitObject0);
    ringRead(&ring, out, 10);
    EXPECT_EQ(plat::WaitForEvent(wake, 0), plat::kWaitTimeout); // one-shot
    ringWrite(&ring, a.data(), 20);
    ringArmWake(&ring, wake, 40);
    ringArmWake(&ring, nullptr, 0); // disarmed: nothing fires
    ringRead(&ring, out, 50);
    EXPECT_EQ(plat::WaitForEvent(wake, 0), plat::kWaitTimeout);
    plat::CloseEvent(wake);
}

TEST(RingSize, ChoosesFromTheMemoryState)
{
    testsupport::DebugCapture trace;
    plat::MemoryStatus m{50, 1ull << 32, 1ull << 40};
    EXPECT_EQ(sizeRingBuffer(1001, 324, m), 2354352u); // the whole 1000-frame track, plus one
    EXPECT_EQ(trace.lines(),
              (std::vector<std::string>{"memory load: 50", "avail. phys. memory: 4294967296",
                                        "avail. virt. memory: 1099511627776"}));
    m.memoryLoad = 80;
    EXPECT_EQ(sizeRingBuffer(1001, 324, m), 324u * 2352);
    m = {79, 1000000, 1ull << 40};
    EXPECT_EQ(sizeRingBuffer(1001, 324, m), 2354352u / 2);
    EXPECT_EQ(sizeRingBuffer(1000, 324, m), 2352000u / 2);
    EXPECT_EQ(sizeRingBuffer(1, 324, plat::MemoryStatus{10, 1, 1}), 324u * 2352);
    m = {10, 2000000, 1000};
    EXPECT_EQ(sizeRingBuffer(1001, 324, m), 1000000u);
    // Never below one read: even a nearly exhausted machine leaves room for 27 frames.
    EXPECT_EQ(sizeRingBuffer(2, 1, plat::MemoryStatus{10, 100, 100}), 27u * 2352);
    m = {10, 100, 1ull << 40};
    EXPECT_EQ(sizeRingBuffer(2, 1, m), 27u * 2352); // halving case
}

namespace
{
struct Stream {
    SectorRing* ring;
    size_t total;
    std::vector<uint8_t> received;
};

unsigned Consume(void* arg)
{
    auto* s = static_cast<Stream*>(arg);
    uint8_t buf[4096];
    while (s->received.size() < s->total) {
        uint32_t n = ringRead(s->ring, buf, 1 + static_cast<uint32_t>(s->received.size() % 4096));
        s->received.insert(s->received.end(), buf, buf + n);
        if (n == 0) plat::YieldProcessor();
    }
    return 0;
}
} // namespace

TEST_F(Ring, OneProducerAndOneConsumerPassEveryByteInOrder)
{
    ringInit(&ring, 9973); // no whole number of anything
    plat::EventHandle wake = plat::CreateEvent(false, false);
    const auto data = Bytes(3000000, 7);
    Stream s{&ring, data.size(), {}};
    plat::ThreadHandle consumer = plat::CreateThread(Consume, &s);
    size_t sent = 0;
    while (sent < data.size()) {
        const uint32_t want =
            std::min<uint32_t>(static_cast<uint32_t>(data.size() - sent), 2352 * 2);
        if (ringFreeSpace(&ring) < want) {
            plat::ResetEvent(wake);
            ringArmWake(&ring, wake, ring.capacity * 8 / 10);
            if (ringFreeSpace(&ring) < want) plat::WaitForEvent(wake, 1000);
            continue;
        }
        sent += ringWrite(&ring, data.data() + sent, want);
    }
    ASSERT_EQ(plat::WaitForThread(consumer, 60000), plat::kWaitObject0);
    plat::CloseThreadHandle(consumer);
    ringArmWake(&ring, nullptr, 0);
    plat::CloseEvent(wake);
    EXPECT_TRUE(s.received == data);
}

namespace
{
struct Waiter {
    SectorRing* ring;
    uint32_t seen;
};

unsigned WaitForPost(void* arg)
{
    auto* w = static_cast<Waiter*>(arg);
    ringWaitForPost(w->ring, w->seen, 600000);
    return 0;
}
} // namespace

TEST_F(Ring, AConsumerWaitingOnAnEmptyRingWakesOnAWriteAndOnAPost)
{
    ringInit(&ring, 100);
    const auto data = Bytes(10);
    uint8_t out[10];
    // A write wakes it, and what it finds is the data.
    Waiter w{&ring, ringPosts(&ring)};
    plat::ThreadHandle t = plat::CreateThread(WaitForPost, &w);
    ringWrite(&ring, data.data(), 10);
    ASSERT_EQ(plat::WaitForThread(t, 60000), plat::kWaitObject0);
    plat::CloseThreadHandle(t);
    EXPECT_EQ(ringRead(&ring, out, 10), 10u);
    // A post (the producer set a flag) wakes it without data.
    w.seen = ringPosts(&ring);
    t = plat::CreateThread(WaitForPost, &w);
    ringPost(&ring);
    ASSERT_EQ(plat::WaitForThread(t, 60000), plat::kWaitObject0);
    plat::CloseThreadHandle(t);
    EXPECT_EQ(ringCount(&ring), 0u);
    // A post before the wait is not lost: the wait returns at once.
    w.seen = ringPosts(&ring);
    ringPost(&ring);
    t = plat::CreateThread(WaitForPost, &w);
    ASSERT_EQ(plat::WaitForThread(t, 60000), plat::kWaitObject0);
    plat::CloseThreadHandle(t);
}

TEST_F(Ring, AStoreHandsAReleasedRingsStorageToTheNextRingThatFits)
{
    RingStore store;
    ASSERT_EQ(ringInit(&ring, 1000, &store), -1);
    uint8_t* first = ring.base;
    ringRelease(&ring);
    ASSERT_EQ(ringInit(&ring, 800, &store), -1);
    EXPECT_EQ(ring.base, first);
    EXPECT_EQ(ringFreeSpace(&ring), 800u); // the ring's capacity, not the block's
    ringRelease(&ring);
    // Too small for the next ring: a block of its own, and the ring works as any other.
    ASSERT_EQ(ringInit(&ring, 5000, &store), -1);
    EXPECT_EQ(ring.capacity, 5000);
    const auto data = Bytes(5000);
    EXPECT_EQ(ringWrite(&ring, data.data(), 5000), 5000u);
    std::vector<uint8_t> out(5000);
    EXPECT_EQ(ringRead(&ring, out.data(), 5000), 5000u);
    EXPECT_EQ(out, data);
    ringRelease(&ring); // the store outlives its rings
}
