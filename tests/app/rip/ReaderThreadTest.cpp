// The reader thread against the scripted fake CD-access library.
#include "FakeCdAccess.h"

#include "app/rip/RipJob.h"
#include "discimage/DiscImage.h"

#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace
{

// One reader thread on a job of its own, with an optional consumer playing the encoder thread.
class ReaderRun
{
public:
    ReaderRun(uint32_t start, uint32_t length, uint32_t ringBytes,
              std::vector<uint32_t> script = {}, bool consume = true)
    {
        fakecd::Reset();
        fakecd::Script(std::move(script));
        job.drive = 1;
        job.nextFrame = start;
        job.endFrame = start + length;
        job.lengthFrames = length;
        job.wakeEvent = plat::CreateEvent(false, false);
        job.startGate = plat::CreateEvent(true, true);
        job.ringBytes = ringBytes;
        ringInit(&job.ring, static_cast<int32_t>(ringBytes));
        reader = plat::CreateThread(ReaderThread, &job);
        if (consume) consumer = std::thread([this] { Consume(); });
    }

    ~ReaderRun()
    {
        job.cancelRequested.store(1);
        plat::SetEvent(job.wakeEvent);
        plat::WaitForThread(reader, plat::kInfinite);
        plat::CloseThreadHandle(reader);
        if (consumer.joinable()) consumer.join();
        ringRelease(&job.ring);
        plat::CloseEvent(job.wakeEvent);
        plat::CloseEvent(job.startGate);
        job.wakeEvent = job.startGate = nullptr;
    }

    bool Ends(uint32_t ms = 30000)
    {
        const bool ended = plat::WaitForThread(reader, ms) == plat::kWaitObject0;
        if (ended && consumer.joinable()) consumer.join();
        return ended;
    }

    RipJob job;
    plat::ThreadHandle reader = nullptr;
    std::thread consumer;
    std::vector<uint8_t> received;

private:
    void Consume()
    {
        uint8_t buf[4096];
        for (;;) {
            const bool finished = job.readDone.load() || job.aborted.load();
            const uint32_t n = ringRead(&job.ring, buf, sizeof buf);
            received.insert(received.end(), buf, buf + n);
            if (n == 0 && finished && ringCount(&job.ring) == 0) break;
            if (n == 0) std::this_thread::yield();
        }
    }
};

} // namespace

TEST(Reader, ReadsEveryFrameInRequestsOf27)
{
    for (uint32_t length : {1u, 2u, 27u, 28u, 55u, 82u}) {
        ReaderRun run(1000, length, 200 * 2352);
        ASSERT_TRUE(run.Ends());
        EXPECT_EQ(run.received, discimage::PatternBytes(1000, length)) << length;
        EXPECT_EQ(run.job.readDone.load(), 1);
        EXPECT_EQ(run.job.aborted.load(), 0);
        auto calls = fakecd::Calls();
        ASSERT_EQ(calls.size(), (length + 26) / 27) << length;
        for (uint32_t i = 0; i < calls.size(); ++i) {
            EXPECT_FALSE(calls[i].overlapped);
            EXPECT_EQ(calls[i].startFrame, 1000 + 27 * i);
            EXPECT_EQ(calls[i].frameCount, std::min<uint32_t>(27, length - 27 * i));
        }
    }
}

TEST(Reader, StatusFourIsRetriedOverlappedOnThePreviousRequestsLastFrame)
{
    ReaderRun run(0, 81, 200 * 2352, {1, 4, 1});
    ASSERT_TRUE(run.Ends());
    EXPECT_EQ(run.received, discimage::PatternBytes(0, 81));
    auto calls = fakecd::Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_FALSE(calls[1].overlapped);
    ASSERT_TRUE(calls[2].overlapped);
    EXPECT_EQ(calls[2].startFrame, 27u);
    EXPECT_EQ(calls[2].reference.startFrame, 26u);
    EXPECT_EQ(calls[2].reference.frameCount, 1u);
    EXPECT_EQ(calls[2].reference.bytesReturned, 2352u);
    EXPECT_EQ(calls[2].reference.dataOffset, 26u * 2352);
    EXPECT_FALSE(calls[3].overlapped);
    EXPECT_EQ(run.job.retries.load(), 1u);
}

TEST(Reader, TheFirstRequestIsRetriedWithANeverReadReference)
{
    ReaderRun run(500, 27, 100 * 2352, {4, 4, 1});
    ASSERT_TRUE(run.Ends());
    auto calls = fakecd::Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(calls[1].overlapped);
    EXPECT_EQ(calls[1].reference.dataOffset, 0u);
    EXPECT_EQ(calls[1].reference.bytesReturned, 0u);
    EXPECT_EQ(run.received, discimage::PatternBytes(500, 27));
}

TEST(Reader, AnotherStatusIsFinalAndThreeFailedRetriesAbort)
{
    {
        ReaderRun run(0, 100, 200 * 2352, {1, 2});
        ASSERT_TRUE(run.Ends());
        EXPECT_EQ(fakecd::Calls().size(), 2u); // no overlapped retry
        EXPECT_EQ(run.job.aborted.load(), 1);
        EXPECT_EQ(run.job.readFailed.load(), 1);
        EXPECT_EQ(run.job.readDone.load(), 0);
        EXPECT_EQ(run.received, discimage::PatternBytes(0, 27));
    }
    {
        ReaderRun run(0, 100, 200 * 2352, {4, 4, 4, 4});
        ASSERT_TRUE(run.Ends());
        auto calls = fakecd::Calls();
        ASSERT_EQ(calls.size(), 4u);
        EXPECT_TRUE(calls[3].overlapped);
        EXPECT_EQ(run.job.aborted.load(), 1);
        EXPECT_TRUE(run.received.empty());
    }
}

TEST(Reader, CancelWhileWaitingForRingSpaceWakesItAndNoFurtherRequestIsMade)
{
    // Room for exactly one request and nobody draining: the reader waits after its first read.
    ReaderRun run(0, 1000, 27 * 2352, {}, false);
    for (int i = 0; i < 3000 && ringFreeSpace(&run.job.ring) != 0; ++i)
        plat::Sleep(1);
    ASSERT_EQ(ringFreeSpace(&run.job.ring), 0u);
    plat::Sleep(50);
    EXPECT_EQ(plat::WaitForThread(run.reader, 0), plat::kWaitTimeout);
    CancelRipJob(run.job);
    // Woken through the job's wake event, not by its 180-second time-out.
    ASSERT_TRUE(run.Ends(20000));
    EXPECT_EQ(fakecd::Calls().size(), 1u);
    EXPECT_EQ(run.job.aborted.load(), 1);
    EXPECT_EQ(run.job.readDone.load(), 0);
    EXPECT_EQ(run.job.ring.wakeEvent, nullptr); // disarmed before its event is closed
}

TEST(Reader, PacesItselfOnASmallRingWithoutLosingAByte)
{
    ReaderRun run(0, 2000, 60 * 2352 + 17);
    ASSERT_TRUE(run.Ends());
    EXPECT_EQ(run.received, discimage::PatternBytes(0, 2000));
}

TEST(Reader, ADrainedRingEndsTheTrackWithoutWaitingOutTheEndOfTrackBound)
{
    ReaderRun run(0, 27, 100 * 2352);
    // The consumer has the data long before; the reader must not sit out its five seconds.
    EXPECT_TRUE(run.Ends(3000));
}
