// libVeltraenc.so as an outside caller sees it: its exports, a C program using it, the load
// notices, the back-end binding and the availability tests against fake back-ends.
#include "EncoderTest.h"

#include "encoder/Mp3Stream.h"
#include "support/TestSupport.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sstream>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using enctest::TestBinDir;
using enctest::XtTest;
using testsupport::TempDir;

namespace
{

const std::string kClient = "xt_c_client";

// A program folder of its own: the C client, libVeltraenc.so and the fake back-ends given
// under their platform names.
class ClientFolder : public TempDir
{
public:
    explicit ClientFolder(const std::map<std::string, std::string>& backEnds = {})
    {
        fs::copy_file(TestBinDir() + "/" + kClient, *this / kClient);
        fs::copy_file(testsupport::BinDir() + "/libVeltraenc.so", *this / "libVeltraenc.so");
        for (const auto& [name, variant] : backEnds)
            fs::copy_file(TestBinDir() + "/libvencfake_" + variant + ".so", *this / name);
    }
    testsupport::RunResult Run(const std::vector<std::string>& args,
                               const std::map<std::string, std::string>& env = {}) const
    {
        std::vector<std::string> argv{*this / kClient};
        argv.insert(argv.end(), args.begin(), args.end());
        return testsupport::Run(argv, env);
    }
};

// Runs a program with this process as its tracer, the way a debugger would: the library's
// debug trace then goes to standard error. Returns the exit status, 126 when tracing is
// not permitted here.
int RunTraced(const std::vector<std::string>& argv, const std::string& errPath)
{
    const pid_t pid = fork();
    if (pid == 0) {
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int out = open("/dev/null", O_WRONLY);
        dup2(err, 2), dup2(out, 1);
        // Leak checking needs to trace the process itself, which a traced process cannot.
        const char* asan = std::getenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(126);
        std::vector<char*> args;
        args.reserve(argv.size() + 1);
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) == pid) {
        if (WIFEXITED(status)) return WEXITSTATUS(status);
        if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
        const int sig = WSTOPSIG(status);
        ptrace(PTRACE_CONT, pid, nullptr, sig == SIGTRAP ? 0 : sig);
    }
    return -1;
}

} // namespace

TEST(Library, ExportsExactlyTheFourteenXtNames)
{
    const std::set<std::string> expected = {"xtGetEncoder",     "xtSetIntOption",
                                            "xtSetAsciiOption", "xtCheckOutputFileExists",
                                            "xtOpenOutputFile", "xtGetOutputFileName",
                                            "xtGetExtension",   "xtGetFilename",
                                            "xtInit",           "xtEncode",
                                            "xtFlush",          "xtClose",
                                            "xtEncoderAvail",   "xtFormatAvail"};
    EXPECT_EQ(testsupport::ExportedNames(testsupport::BinDir() + "/libVeltraenc.so"), expected);
}

TEST(Library, CProgramWritesAWavFileThroughTheSharedLibrary)
{
    TempDir out;
    auto r = testsupport::Run({TestBinDir() + "/" + kClient, "wav", out.path()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string path = out / "Artist/Album/Track 01.wav";
    EXPECT_EQ(r.out, path + "\n");
    const auto file = testsupport::ReadBytes(path);
    ASSERT_EQ(file.size(), 7100u);
    EXPECT_EQ(enctest::Le32(file, 40), 7056u);
    EXPECT_EQ(file[44 + 2352 + 1], 32) << "second frame, second byte";
}

TEST(Library, LoadAndUnloadNoticesFrameTheTrace)
{
    TempDir out;
    const int status = RunTraced({TestBinDir() + "/" + kClient, "wav", out.path()}, out / "err");
    if (status == 126) GTEST_SKIP() << "tracing is not permitted on this machine";
    EXPECT_EQ(status, 0);
    std::vector<std::string> lines;
    std::istringstream err(testsupport::ReadFile(out / "err"));
    for (std::string line; std::getline(err, line);)
        lines.push_back(line);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), "DLL_PROCESS_ATTACH");
    EXPECT_EQ(lines.back(), "DLL_PROCESS_DETACH");
    EXPECT_EQ(lines[1], "set _filedir to \"Artist/Album/\"");
}

TEST(Library, AvailabilityFollowsTheBackEndsBesideTheLibrary)
{
    // Encoder types -1 to 8, then formats -1 to 6.
    const std::pair<std::map<std::string, std::string>, std::string> cases[] = {
        {{}, "0110000000 01100000"},
        {{{"liblame_enc.so", "v354_i14"}}, "0110100000 01110000"},
        {{{"liblame_enc.so", "v353_i14"}}, "0111000000 01110000"},
        {{{"liblame_enc.so", "v354_i13"}}, "0111000000 01110000"},
        {{{"liblame_enc.so", "no_version"}}, "0110000000 01100000"},
        {{{"libbladeenc.so", "v354_i14"}}, "0110010000 01110000"},
        {{{"libvorb_enc.so", "v354_i14"}}, "0110001000 01101000"},
        {{{"libflac_enc.so", "v354_i14"}}, "0110000100 01100100"},
        {{{"libopus_enc.so", "v354_i14"}}, "0110000010 01100010"},
        {{{"libopus_enc.so", "no_version"}}, "0110000000 01100000"},
    };
    for (const auto& [backEnds, expected] : cases) {
        ClientFolder folder(backEnds);
        auto r = folder.Run({"avail"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, expected + "\n") << (backEnds.empty() ? "none" : backEnds.begin()->second);
    }

    // The library's own folder is searched before the program's.
    ClientFolder program(std::map<std::string, std::string>{{"liblame_enc.so", "v353_i14"}});
    TempDir library;
    fs::rename(program / "libVeltraenc.so", library / "libVeltraenc.so");
    fs::copy_file(TestBinDir() + "/libvencfake_v354_i14.so", library / "liblame_enc.so");
    auto r = program.Run({"avail"}, {{"LD_LIBRARY_PATH", library.path()}});
    EXPECT_EQ(r.out, "0110100000 01110000\n") << r.err;
}

TEST(BindBackEnd, BindsTheSixEntryPointsOrForgetsAnIncompleteLibrary)
{
    const veltraenc::Mp3Stream full("vencfake_v354_i14.dll");
    ASSERT_TRUE(full.HasBackEnd());
    const auto& e = full.EntryPoints();
    EXPECT_TRUE(e.initStream && e.encodeChunk && e.deinitStream && e.closeStream);
    ASSERT_NE(e.writeVbrHeader, nullptr);
    BEVersionRecord version{};
    e.version(&version);
    EXPECT_EQ(version.engineMinor, 54) << "the pointers are the library's own";

    const veltraenc::Mp3Stream noVbr("vencfake_no_vbr.dll");
    EXPECT_TRUE(noVbr.HasBackEnd()) << "the VBR header writer is optional";
    EXPECT_TRUE(noVbr.EntryPoints().IsComplete());
    EXPECT_EQ(noVbr.EntryPoints().writeVbrHeader, nullptr);

    for (const char* name :
         {"vencfake_no_chunk.dll", "vencfake_no_version.dll", "vencfake_missing.dll"}) {
        const veltraenc::Mp3Stream s(name);
        EXPECT_FALSE(s.HasBackEnd()) << name;
        EXPECT_EQ(s.EntryPoints().initStream, nullptr) << name;
    }
}

TEST_F(XtTest, EncoderStreamsWithoutTheirLibraryStartNothingButStillCloseTheFile)
{
    TempDir dir;
    const auto pcm = enctest::Pcm(9000);
    for (int type : {XT_ENCODER_LAME1, XT_ENCODER_LAME2, XT_ENCODER_BLADE, XT_ENCODER_VORB,
                     XT_ENCODER_FLAC, XT_ENCODER_OPUS}) {
        SCOPED_TRACE(type);
        const StreamHandle h = enctest::OpenStream(type, dir.path(), "t" + std::to_string(type));
        ASSERT_EQ(xtOpenOutputFile(h), 1);
        EXPECT_EQ(xtInit(h), 0);
        EXPECT_EQ(xtEncode(h, pcm.data(), 9000), 0);
        EXPECT_EQ(xtFlush(h), 0);
        EXPECT_EQ(xtClose(h), 1);
        const std::string ext = type == XT_ENCODER_VORB   ? ".ogg"
                                : type == XT_ENCODER_FLAC ? ".flac"
                                : type == XT_ENCODER_OPUS ? ".opus"
                                                          : ".MP3";
        EXPECT_EQ(testsupport::FileSize(dir / ("t" + std::to_string(type) + ext)), 0);
    }
}
