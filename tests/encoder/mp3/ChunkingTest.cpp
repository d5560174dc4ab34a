// EncoderStream's drive of a back-end: partial chunks staged between Encode calls, whole chunks
// passed from the caller's memory, the short last chunk of Flush, and the write switch.
#include "Mp3TestSupport.h"

#include "support/TestSupport.h"

using namespace mp3test;
using testsupport::ReadBytes;
using testsupport::TempDir;
using veltraenc::Mp3Stream;

namespace
{

class Chunking : public ::testing::Test
{
protected:
    void Start(Mp3Stream& s, const RecPlan& plan = Plan())
    {
        recReset(&plan);
        Name(s, dir.path(), "t");
        ASSERT_EQ(s.OpenOutputFile(), 1);
        ASSERT_EQ(s.Init(), 1);
    }
    std::string File() const { return dir / "t.MP3"; }
    TempDir dir;
};

} // namespace

TEST_F(Chunking, ThousandBytePiecesFillA4608ByteChunkOnTheFifthCall)
{
    Mp3Stream s(kRecorder);
    Start(s);
    EXPECT_EQ(s.ChunkSize(), 4608u);
    const auto pcm = Pcm(5000);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(s.Encode(pcm.data() + i * 1000, 1000), 0) << i;
    EXPECT_EQ(Kinds(), (std::vector<int>{REC_INIT})) << "nothing reaches the back-end yet";
    EXPECT_EQ(s.StagedBytes(), 4000u);

    EXPECT_EQ(s.Encode(pcm.data() + 4000, 1000), 100);
    EXPECT_EQ(s.StagedBytes(), 392u);
    auto calls = Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].kind, REC_ENCODE);
    EXPECT_EQ(calls[1].stream, 7u);
    EXPECT_EQ(calls[1].sampleCount, 2304u);
    EXPECT_NE(reinterpret_cast<const unsigned char*>(calls[1].samples), pcm.data() + 4000)
        << "a chunk pieced together comes from the staging buffer";
    EXPECT_EQ(Received(), std::vector<unsigned char>(pcm.begin(), pcm.begin() + 4608));

    // The 392 staged bytes are the short last chunk of Flush.
    EXPECT_EQ(s.Flush(), 100 + 50);
    calls = Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[2].kind, REC_ENCODE);
    EXPECT_EQ(calls[2].sampleCount, 196u);
    EXPECT_EQ(calls[3].kind, REC_DEINIT);
    EXPECT_EQ(calls[3].stream, 7u);
    EXPECT_EQ(Received(), pcm);
    EXPECT_EQ(s.Close(), 1);
    EXPECT_EQ(Kinds().back(), REC_CLOSE);
    EXPECT_EQ(Calls().back().stream, 7u);
    EXPECT_EQ(ReadBytes(File()), Produced(250));
}

TEST_F(Chunking, WholeChunksComeStraightFromTheCallersMemory)
{
    Mp3Stream s(kRecorder);
    Start(s);
    const auto pcm = Pcm(3 * 4608);
    EXPECT_EQ(s.Encode(pcm.data(), 3 * 4608), 300);
    auto calls = Calls();
    ASSERT_EQ(calls.size(), 4u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(calls[1 + i].sampleCount, 2304u);
        EXPECT_EQ(reinterpret_cast<const unsigned char*>(calls[1 + i].samples),
                  pcm.data() + i * 4608);
    }
    EXPECT_EQ(s.StagedBytes(), 0u);
    EXPECT_EQ(s.Flush(), 50) << "nothing staged: no short chunk, only the final bytes";
    EXPECT_EQ(Kinds().back(), REC_DEINIT);
    EXPECT_EQ(Kinds().size(), 5u);

    // With 1000 bytes staged, a piece of three chunks completes the staged one, passes two
    // from its own memory and keeps its last 1000 bytes.
    Mp3Stream t(kRecorder);
    Start(t);
    const auto more = Pcm(1000 + 3 * 4608);
    EXPECT_EQ(t.Encode(more.data(), 1000), 0);
    EXPECT_EQ(t.Encode(more.data() + 1000, 3 * 4608), 300);
    calls = Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_NE(reinterpret_cast<const unsigned char*>(calls[1].samples), more.data() + 1000);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(calls[2].samples), more.data() + 4608);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(calls[3].samples), more.data() + 2 * 4608);
    EXPECT_EQ(t.StagedBytes(), 1000u);
    t.Flush();
    EXPECT_EQ(Received(), more);
}

TEST_F(Chunking, FlushPassesTenStagedBytesAsFiveSamplesThenDeinits)
{
    Mp3Stream s(kRecorder);
    Start(s, Plan(2304, 30, 20));
    const auto pcm = Pcm(10);
    EXPECT_EQ(s.Encode(pcm.data(), 10), 0);
    EXPECT_EQ(s.Flush(), 30 + 20);
    const auto calls = Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].kind, REC_ENCODE);
    EXPECT_EQ(calls[1].sampleCount, 5u);
    EXPECT_EQ(calls[2].kind, REC_DEINIT);
    EXPECT_EQ(Received(), pcm);

    // The back-end stream is finished: a second Flush or a late Encode reaches it no more.
    EXPECT_EQ(s.Flush(), 0);
    EXPECT_EQ(s.Encode(Pcm(5000).data(), 5000), 0);
    EXPECT_EQ(recCallCount(), 3u);
    EXPECT_EQ(s.Close(), 1);
    EXPECT_EQ(ReadBytes(File()), Produced(50));
}

TEST_F(Chunking, NoWriteStillEncodesAndCountsButWritesNothing)
{
    const auto pcm = Pcm(10000);
    {
        Mp3Stream s(kRecorder); // switched off after the file was opened
        Start(s);
        ASSERT_EQ(s.SetIntOption(NO_WRITE, 1), 1);
        EXPECT_EQ(s.Encode(pcm.data(), 10000), 200);
        EXPECT_EQ(s.Flush(), 150);
        EXPECT_EQ(s.Close(), 1);
        EXPECT_EQ(Received(), pcm);
        EXPECT_TRUE(ReadBytes(File()).empty());
    }
    {
        Mp3Stream s(kRecorder); // switched off before: no file at all
        Name(s, dir.path(), "u");
        ASSERT_EQ(s.SetIntOption(NO_WRITE, 1), 1);
        auto plan = Plan();
        recReset(&plan);
        ASSERT_EQ(s.OpenOutputFile(), 1);
        ASSERT_EQ(s.Init(), 1);
        EXPECT_EQ(s.Encode(pcm.data(), 10000), 200);
        EXPECT_EQ(s.Flush(), 150);
        EXPECT_EQ(s.Close(), 1);
        EXPECT_FALSE(testsupport::FileExists(dir / "u.MP3"));
    }
}

TEST_F(Chunking, EncodingWithoutAnOpenFileCountsAndDiscards)
{
    Mp3Stream s(kRecorder);
    auto plan = Plan();
    recReset(&plan);
    ASSERT_EQ(s.Init(), 1);
    const auto pcm = Pcm(4608);
    EXPECT_EQ(s.Encode(pcm.data(), 4608), 100);
    EXPECT_EQ(s.Flush(), 50);
    EXPECT_EQ(s.Close(), 1);
}

TEST_F(Chunking, AFailedStartStartsNothingAndSizesNoBuffer)
{
    const auto pcm = Pcm(20000);
    // A refused record; sizes that would be absurd to allocate if they were believed.
    const RecPlan refused{BE_ERR_INVALID_PARAMETERS, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, 100, 50};
    // A back-end that claims success but gives no usable chunk (a zero chunk never fills),
    // and one that reports failure yet hands out a stream.
    const RecPlan noChunk{BE_ERR_SUCCESSFUL, 9, 0, 8640, 100, 50};
    const RecPlan failedWithStream{BE_ERR_INVALID_FORMAT, 9, 2304, 8640, 100, 50};
    for (const RecPlan& plan : {refused, noChunk, failedWithStream}) {
        SCOPED_TRACE(plan.initStream);
        Mp3Stream s(kRecorder);
        recReset(&plan);
        Name(s, dir.path(), "f");
        ASSERT_EQ(s.OpenOutputFile(), 1);
        EXPECT_EQ(s.Init(), 0);
        EXPECT_FALSE(s.IsStarted());
        EXPECT_EQ(s.ChunkSize(), 0u);
        EXPECT_EQ(s.Encode(pcm.data(), 20000), 0);
        EXPECT_EQ(s.Flush(), 0);
        EXPECT_EQ(s.Close(), 1);
        // A stream handed out despite the failure is given back, never used.
        const std::vector<int> expected =
            plan.initStream ? std::vector<int>{REC_INIT, REC_CLOSE} : std::vector<int>{REC_INIT};
        EXPECT_EQ(Kinds(), expected);
        EXPECT_TRUE(ReadBytes(dir / "f.MP3").empty());
    }
}

TEST_F(Chunking, TheBackEndStreamIsReleasedOnceAndOnlyOnce)
{
    auto plan = Plan();
    {
        Mp3Stream s(kRecorder);
        Start(s);
        EXPECT_EQ(s.Init(), 1) << "a second Init keeps the running stream";
        EXPECT_EQ(s.Close(), 1);
    }
    EXPECT_EQ(Kinds(), (std::vector<int>{REC_INIT, REC_CLOSE}));
    {
        Mp3Stream s(kRecorder); // destroyed without Close
        Start(s);
    }
    EXPECT_EQ(Kinds(), (std::vector<int>{REC_INIT, REC_CLOSE}));
    {
        Mp3Stream s(kRecorder); // the record built from the options reaches the back-end
        recReset(&plan);
        s.SetIntOption(MP3_BITRATE, 192);
        ASSERT_EQ(s.Init(), 1);
        const BEConfigMp3 expected = s.MakeConfig();
        EXPECT_EQ(std::memcmp(Calls()[0].config, &expected, BE_CONFIG_SIZE), 0);
    }
}
