// The WAV and raw streams: file layout, header rewrite, raw bytes, a reader's view of the WAV
// file and write failures that must not end as a complete file.
#include "EncoderTest.h"

#include "support/TestSupport.h"

#include <csignal>
#include <cstring>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using enctest::Le16;
using enctest::Le32;
using enctest::XtTest;
using testsupport::TempDir;

namespace
{

std::vector<unsigned char> Header(unsigned dataSize)
{
    std::vector<unsigned char> h(44);
    auto put = [&](size_t at, unsigned v, int n) {
        for (int i = 0; i < n; ++i)
            h[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    std::memcpy(&h[0], "RIFF", 4), std::memcpy(&h[8], "WAVEfmt ", 8),
        std::memcpy(&h[36], "data", 4);
    put(4, dataSize + 36, 4), put(16, 16, 4), put(20, 1, 2), put(22, 2, 2), put(24, 44100, 4);
    put(28, 176400, 4), put(32, 4, 2), put(34, 16, 2), put(40, dataSize, 4);
    return h;
}

// Writes three CD frames into folder/name.wav through the xt calls.
std::vector<unsigned char> WriteThreeFrames(const std::string& folder, const std::string& name)
{
    const StreamHandle h = enctest::OpenStream(XT_ENCODER_WAV, folder, name);
    EXPECT_EQ(xtOpenOutputFile(h), 1);
    EXPECT_EQ(xtInit(h), 1);
    std::vector<unsigned char> all;
    for (unsigned seed = 1; seed <= 3; ++seed) {
        const auto frame = enctest::Pcm(2352, seed);
        EXPECT_EQ(xtEncode(h, frame.data(), 2352), 2352);
        all.insert(all.end(), frame.begin(), frame.end());
    }
    EXPECT_EQ(xtFlush(h), 0);
    EXPECT_EQ(xtClose(h), 1);
    return all;
}

} // namespace

TEST_F(XtTest, WavFileIsTheHeaderThenThePcmAndTheHeaderIsRewrittenAtClose)
{
    TempDir dir;
    testsupport::DebugCapture capture;
    const auto pcm = WriteThreeFrames(dir.path(), "three");
    const auto file = testsupport::ReadBytes(dir / "three.wav");
    ASSERT_EQ(file.size(), 7100u);
    EXPECT_EQ(Le32(file, 40), 7056u);
    EXPECT_EQ(Le32(file, 4), 7092u);
    EXPECT_EQ(std::vector<unsigned char>(file.begin(), file.begin() + 44), Header(7056));
    EXPECT_EQ(std::vector<unsigned char>(file.begin() + 44, file.end()), pcm);

    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 5u); // szFname, then two lines per header write
    EXPECT_EQ(lines[1], "WavStream::WriteWavHeader(0) (sizeof(wav):44)");
    EXPECT_EQ(lines[3], "WavStream::WriteWavHeader(7056) (sizeof(wav):44)");
    const std::string address = "WavStream::WriteWavHeader, _fpOut: ";
    EXPECT_EQ(lines[4].rfind(address, 0), 0u);
    EXPECT_EQ(lines[4].size(), address.size() + 8);
}

TEST_F(XtTest, WavOpenedAndClosedAtOnceIsAnEmptyValidFile)
{
    TempDir dir;
    StreamHandle h = enctest::OpenStream(XT_ENCODER_WAV, dir.path(), "empty");
    const auto pcm = enctest::Pcm(100);
    EXPECT_EQ(xtEncode(h, pcm.data(), 100), 0) << "nothing counts before the file is open";
    ASSERT_EQ(xtOpenOutputFile(h), 1);
    EXPECT_TRUE(testsupport::FileExists(dir / "empty.wav"));
    EXPECT_EQ(xtEncode(h, pcm.data(), 0), 0);
    EXPECT_EQ(xtClose(h), 1);
    EXPECT_EQ(testsupport::ReadBytes(dir / "empty.wav"), Header(0));
}

TEST_F(XtTest, SoxReadsTheWavFileWithItsLength)
{
    const std::string soxi = enctest::FindProgram("soxi");
    ASSERT_FALSE(soxi.empty()) << "sox is part of scripts/setup";
    TempDir dir;
    WriteThreeFrames(dir.path(), "sox");
    auto info = [&](const char* flag) {
        auto r = testsupport::Run({soxi, flag, dir / "sox.wav"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    };
    EXPECT_EQ(info("-s"), "1764\n"); // 7056 bytes of 16-bit stereo
    EXPECT_EQ(info("-r"), "44100\n");
    EXPECT_EQ(info("-c"), "2\n");
    EXPECT_EQ(info("-b"), "16\n");
    EXPECT_EQ(info("-e"), "Signed Integer PCM\n");
}

TEST_F(XtTest, RawStreamWritesExactlyTheBytesItIsGiven)
{
    TempDir dir;
    const StreamHandle h = enctest::OpenStream(XT_ENCODER_RAW, dir.path(), "first");
    ASSERT_EQ(xtOpenOutputFile(h), 1);
    std::vector<unsigned char> all;
    for (int count : {1, 2352, 0, 4095, 7}) {
        const auto piece = enctest::Pcm(static_cast<size_t>(count), static_cast<unsigned>(count));
        EXPECT_EQ(xtEncode(h, piece.data(), count), count);
        all.insert(all.end(), piece.begin(), piece.end());
    }
    // Opening again closes the first file whole before the second one starts.
    xtSetAsciiOption(h, FILE_NAME, "second");
    ASSERT_EQ(xtOpenOutputFile(h), 1);
    EXPECT_EQ(testsupport::ReadBytes(dir / "first.dat"), all);
    EXPECT_EQ(xtEncode(h, all.data(), 10), 10);
    EXPECT_EQ(xtClose(h), 1);
    EXPECT_EQ(testsupport::FileSize(dir / "second.dat"), 10);
}

TEST_F(XtTest, FailedWritesMakeCloseReturn0)
{
    TempDir dir;
    const auto pcm = enctest::Pcm(2352);
    // Buffered data that cannot be written shows only when the file is closed.
    for (int type : {XT_ENCODER_RAW, XT_ENCODER_WAV}) {
        const StreamHandle h = enctest::OpenStream(type, dir.path(), "full");
        const std::string path = dir / (type == XT_ENCODER_RAW ? "full.dat" : "full.wav");
        ASSERT_EQ(symlink("/dev/full", path.c_str()), 0);
        ASSERT_EQ(xtOpenOutputFile(h), 1);
        EXPECT_EQ(xtEncode(h, pcm.data(), 2352), 2352);
        EXPECT_EQ(xtClose(h), 0) << type;
    }
    // A stream opened for reading only cannot write either; the mode is cut to 4 characters,
    // so "rbbb+" opens for reading only.
    testsupport::WriteFile(dir / "ro.dat", "");
    const StreamHandle h = enctest::OpenStream(XT_ENCODER_RAW, dir.path(), "ro");
    xtSetAsciiOption(h, OPEN_MODE, "rbbb+");
    ASSERT_EQ(xtOpenOutputFile(h), 1);
    EXPECT_LT(xtEncode(h, pcm.data(), 2352), 2352);
    EXPECT_EQ(xtClose(h), 0);
}

// The write calls this process has made so far; -1 where the kernel does not tell.
long WriteCalls()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    long value = 0;
    while (io >> key >> value)
        if (key == "syscw:") return value;
    return -1;
}

TEST_F(XtTest, PiecesReachTheFileInLargeWritesWithTheSameBytes)
{
    if (WriteCalls() < 0) GTEST_SKIP() << "no write counts in /proc/self/io";
    TempDir dir;
    const auto pcm = enctest::Pcm(4 << 20);
    for (int type : {XT_ENCODER_RAW, XT_ENCODER_WAV}) {
        const StreamHandle h = enctest::OpenStream(type, dir.path(), "big");
        ASSERT_EQ(xtOpenOutputFile(h), 1);
        const long before = WriteCalls();
        for (size_t at = 0; at < pcm.size(); at += 4096)
            ASSERT_EQ(xtEncode(h, pcm.data() + at, 4096), 4096);
        ASSERT_EQ(xtClose(h), 1);
        // 1024 pieces: one write each unbuffered, a few dozen with the stream's buffer.
        EXPECT_LT(WriteCalls() - before, 64) << type;
        auto bytes = testsupport::ReadBytes(dir / (type == XT_ENCODER_RAW ? "big.dat" : "big.wav"));
        if (type == XT_ENCODER_WAV) {
            ASSERT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 44),
                      Header(4 << 20));
            bytes.erase(bytes.begin(), bytes.begin() + 44);
        }
        EXPECT_TRUE(bytes == pcm) << type;
    }
}

TEST_F(XtTest, AFileThatFailedTakesNothingMore)
{
    if (!testsupport::FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    TempDir dir;
    const auto pcm = enctest::Pcm(2352);
    const StreamHandle h = enctest::OpenStream(XT_ENCODER_RAW, dir.path(), "full");
    ASSERT_EQ(symlink("/dev/full", (dir / "full.dat").c_str()), 0);
    ASSERT_EQ(xtOpenOutputFile(h), 1);
    // The first piece is written at once; its failure shows from the next piece on.
    EXPECT_EQ(xtEncode(h, pcm.data(), 2352), 2352);
    EXPECT_EQ(xtEncode(h, pcm.data(), 2352), 0);
    EXPECT_EQ(xtClose(h), 0);
}

// A WAV stream on a file-size limit, in a child process: what xtEncode and xtClose return.
struct LimitedRun {
    int encoded[3] = {};
    int closed = -1;
};

LimitedRun RunWithFileSizeLimit(const std::string& folder, rlim_t limit, int frames)
{
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const rlimit lim{limit, limit};
        setrlimit(RLIMIT_FSIZE, &lim);
        signal(SIGXFSZ, SIG_IGN);
        LimitedRun run;
        const StreamHandle h = xtGetEncoder(XT_ENCODER_WAV);
        xtSetAsciiOption(h, OUTPUT_DIR, folder.c_str());
        xtSetAsciiOption(h, FILE_NAME, "limited");
        if (xtOpenOutputFile(h) == 1) {
            const auto pcm = enctest::Pcm(2352);
            for (int i = 0; i < frames; ++i)
                run.encoded[i] = xtEncode(h, pcm.data(), 2352);
            run.closed = xtClose(h);
        }
        _exit(write(fds[1], &run, sizeof run) == sizeof run ? 0 : 1);
    }
    close(fds[1]);
    LimitedRun run;
    EXPECT_EQ(read(fds[0], &run, sizeof run), static_cast<ssize_t>(sizeof run));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return run;
}

TEST_F(XtTest, WavStreamOnAFileSizeLimitReportsTheFailureAtClose)
{
    TempDir dir;
    LimitedRun run = RunWithFileSizeLimit(dir.path(), 1000, 3);
    EXPECT_LT(run.encoded[1] + run.encoded[2], 2 * 2352);
    EXPECT_EQ(run.closed, 0);
    EXPECT_LE(testsupport::FileSize(dir / "limited.wav"), 1000);

    // Held back in the stream's buffer, the lost data shows only at the header rewrite.
    run = RunWithFileSizeLimit(dir.path(), 100, 1);
    EXPECT_EQ(run.encoded[0], 2352);
    EXPECT_EQ(run.closed, 0);

    run = RunWithFileSizeLimit(dir.path(), 1 << 20, 3);
    EXPECT_EQ(run.closed, 1) << "the limit alone is no failure";
    EXPECT_EQ(testsupport::FileSize(dir / "limited.wav"), 7100);
}
