// The encoder thread with a real WAV stream of the encoder library.
#include "app/rip/RipJob.h"

#include "discimage/DiscImage.h"
#include "support/FakeProgress.h"
#include "support/TestSupport.h"

#include "Veltraenc.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::TempDir;

namespace
{

// A job whose ring holds `frames` frames of the pattern, with a WAV stream opened in `dir`.
struct EncoderRun {
    EncoderRun(const TempDir& dir, uint32_t lengthFrames, uint32_t framesInRing)
    {
        job.dialog = &progress;
        job.lengthFrames = lengthFrames;
        job.chunkBytes = kChunkBytes;
        job.startGate = plat::CreateEvent(true, true);
        ringInit(&job.ring, static_cast<int32_t>((framesInRing + 1) * 2352));
        auto pcm = discimage::PatternBytes(0, framesInRing);
        ringWrite(&job.ring, pcm.data(), static_cast<uint32_t>(pcm.size()));
        job.encoder = xtGetEncoder(XT_ENCODER_WAV);
        xtSetAsciiOption(job.encoder, OUTPUT_DIR, dir.path().c_str());
        xtSetAsciiOption(job.encoder, FILE_NAME, "t");
        path = dir / "t.wav";
        EXPECT_EQ(xtOpenOutputFile(job.encoder), 1);
    }
    ~EncoderRun()
    {
        ringRelease(&job.ring);
        plat::CloseEvent(job.startGate);
        job.startGate = nullptr;
    }
    RipJob job;
    testsupport::FakeProgress progress;
    std::string path;
};

} // namespace

TEST(Encoder, TheMeterReachesExactly100AndMovesOnlyWhenThePercentageChanges)
{
    TempDir dir;
    EncoderRun run(dir, 300, 300);
    run.job.readDone.store(1);
    EncoderThread(&run.job);
    const auto positions = run.progress.positions();
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), 100);
    EXPECT_LE(positions.size(), 101u);
    for (size_t i = 1; i < positions.size(); ++i)
        EXPECT_GT(positions[i], positions[i - 1]);
    EXPECT_EQ(run.progress.closes(), std::vector<RipResult>{RipResult::Finished});
    auto wav = testsupport::ReadBytes(run.path);
    ASSERT_EQ(wav.size(), 44u + 300 * 2352);
    EXPECT_TRUE(std::equal(wav.begin() + 44, wav.end(), discimage::PatternBytes(0, 300).begin()));
}

TEST(Encoder, AnEmptyTrackClosesAnEmptyFileWithTheFinishedResult)
{
    TempDir dir;
    EncoderRun run(dir, 1, 0);
    run.job.readDone.store(1);
    EncoderThread(&run.job);
    EXPECT_TRUE(run.progress.positions().empty());
    EXPECT_EQ(run.progress.closes(), std::vector<RipResult>{RipResult::Finished});
    EXPECT_EQ(testsupport::FileSize(run.path), 44);
}

TEST(Encoder, AnAbortedReaderStopsItAndTheRestOfTheRingIsNotEncoded)
{
    TempDir dir;
    EncoderRun run(dir, 100, 50);
    run.job.aborted.store(1);
    EncoderThread(&run.job);
    EXPECT_EQ(run.progress.closes(), std::vector<RipResult>{RipResult::Cancelled});
    EXPECT_EQ(testsupport::FileSize(run.path), 44); // closed, valid and empty
}

TEST(Encoder, AStreamThatCouldNotWriteEverythingIsNoFinishedTrack)
{
    TempDir dir;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100000, 100000};
        setrlimit(RLIMIT_FSIZE, &limit);
        EncoderRun run(dir, 200, 200);
        run.job.readDone.store(1);
        EncoderThread(&run.job);
        const bool ok = run.progress.closes() == std::vector<RipResult>{RipResult::Cancelled} &&
                        run.job.writeFailed.load() == 1;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Encoder, AStreamThatCannotStartFailsTheTrackStopsTheReaderAndLeavesNoEmptyFile)
{
    TempDir dir;
    for (const std::string contents : {"", "older"}) {
        EncoderRun run(dir, 100, 50);
        // A handle whose xtInit fails, as a stream without its back-end does.
        xtClose(run.job.encoder);
        testsupport::WriteFile(run.path, contents);
        run.job.outputFile = run.path;
        run.job.wakeEvent = plat::CreateEvent(false, false);
        EncoderThread(&run.job);
        EXPECT_EQ(run.job.initFailed.load(), 1);
        EXPECT_EQ(run.job.cancelRequested.load(), 1);
        EXPECT_EQ(plat::WaitForEvent(run.job.wakeEvent, 0), plat::kWaitObject0);
        EXPECT_EQ(run.job.writeFailed.load(), 0);
        EXPECT_TRUE(run.progress.positions().empty());
        EXPECT_EQ(run.progress.closes(), std::vector<RipResult>{RipResult::Cancelled});
        // Only an empty file is ours to remove.
        EXPECT_EQ(testsupport::FileExists(run.path), !contents.empty()) << contents;
    }
}

TEST(Encoder, PiecesAreWholeChunksAcrossTheRingsEndAndTheFileIsTheAudio)
{
    struct Pieces : PcmTap {
        std::vector<uint32_t> sizes;
        std::vector<uint8_t> bytes;
        void Pcm(const uint8_t* data, uint32_t count) override
        {
            sizes.push_back(count);
            bytes.insert(bytes.end(), data, data + count);
        }
    } pieces;
    TempDir dir;
    // A ring of 11 frames holding frames 3-11 of the pattern, the last of them wrapped to its
    // start.
    EncoderRun run(dir, 9, 10);
    std::vector<uint8_t> skip(3 * 2352);
    ringRelease(&run.job.ring);
    ringInit(&run.job.ring, 11 * 2352);
    auto first = discimage::PatternBytes(0, 6);
    ringWrite(&run.job.ring, first.data(), static_cast<uint32_t>(first.size()));
    ringRead(&run.job.ring, skip.data(), static_cast<uint32_t>(skip.size()));
    auto rest = discimage::PatternBytes(6, 6);
    ASSERT_EQ(ringWrite(&run.job.ring, rest.data(), static_cast<uint32_t>(rest.size())),
              rest.size());
    run.job.tap = &pieces;
    run.job.readDone.store(1);
    EncoderThread(&run.job);
    const auto audio = discimage::PatternBytes(3, 9);
    EXPECT_EQ(pieces.bytes, audio);
    ASSERT_FALSE(pieces.sizes.empty());
    for (size_t i = 0; i + 1 < pieces.sizes.size(); ++i)
        EXPECT_EQ(pieces.sizes[i], static_cast<uint32_t>(kChunkBytes)) << i;
    const auto wav = testsupport::ReadBytes(run.path);
    ASSERT_EQ(wav.size(), 44u + audio.size());
    EXPECT_TRUE(std::equal(wav.begin() + 44, wav.end(), audio.begin()));
}
