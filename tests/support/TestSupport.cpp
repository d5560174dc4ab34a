#include "TestSupport.h"

#include "platform/DebugTrace.h"
#include "platform/Thread.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace testsupport
{

std::string BinDir()
{
    return VELTRA_BIN_DIR;
}
std::string SourceDir()
{
    return VELTRA_SOURCE_DIR;
}
std::string SharedTestData()
{
    return VELTRA_TESTDATA;
}
std::string TestDataDir()
{
    return VELTRA_TEST_DATA_DIR;
}

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "veltra-test-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Folders made read-only by a test would stop the removal.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->is_directory(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

ProgramFolder::ProgramFolder()
{
    for (const auto& entry : fs::directory_iterator(BinDir())) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        if (name.size() > 4 && name.substr(name.size() - 4) == ".ini") continue;
        const fs::path target = fs::path(path()) / name;
        std::error_code ec;
        fs::create_hard_link(entry.path(), target, ec);
        if (ec) fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing);
    }
}

RunResult Run(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
              const std::string& input, int timeoutSeconds)
{
    RunResult result;
    if (argv.empty()) return result;

    std::map<std::string, std::string> merged;
    for (char** e = environ; *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        if (eq) merged[std::string(*e, static_cast<size_t>(eq - *e))] = eq + 1;
    }
    for (const auto& [k, v] : env)
        merged[k] = v;
    std::vector<std::string> envStrings;
    for (const auto& [k, v] : merged)
        envStrings.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (auto& s : envStrings)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (auto& s : args)
        argp.push_back(s.data());
    argp.push_back(nullptr);

    int inPipe[2], outPipe[2], errPipe[2];
    if (pipe2(inPipe, O_CLOEXEC) || pipe2(outPipe, O_CLOEXEC) || pipe2(errPipe, O_CLOEXEC))
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, argp[0], &actions, &attr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    if (rc != 0) {
        close(inPipe[1]);
        close(outPipe[0]);
        close(errPipe[0]);
        result.err = std::string("spawn failed: ") + std::strerror(rc);
        return result;
    }

    signal(SIGPIPE, SIG_IGN);
    size_t written = 0;
    if (input.empty()) {
        close(inPipe[1]);
        inPipe[1] = -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        pollfd fds[3];
        int n = 0;
        if (outOpen) fds[n++] = {outPipe[0], POLLIN, 0};
        if (errOpen) fds[n++] = {errPipe[0], POLLIN, 0};
        if (inPipe[1] >= 0) fds[n++] = {inPipe[1], POLLOUT, 0};
        int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        deadline - std::chrono::steady_clock::now())
                                        .count());
        if (left <= 0) {
            kill(-pid, SIGKILL);
            result.err += "\n[test support: time-out, program killed]";
            break;
        }
        if (poll(fds, n, std::min(left, 1000)) < 0 && errno != EINTR) break;
        for (int i = 0; i < n; ++i) {
            if (!fds[i].revents) continue;
            if (fds[i].fd == inPipe[1]) {
                ssize_t w = write(inPipe[1], input.data() + written, input.size() - written);
                if (w > 0) written += static_cast<size_t>(w);
                if (w < 0 || written == input.size()) {
                    close(inPipe[1]);
                    inPipe[1] = -1;
                }
                continue;
            }
            char buf[65536];
            ssize_t r = read(fds[i].fd, buf, sizeof buf);
            bool isOut = fds[i].fd == outPipe[0];
            if (r <= 0) {
                (isOut ? outOpen : errOpen) = false;
            } else {
                (isOut ? result.out : result.err).append(buf, static_cast<size_t>(r));
            }
        }
    }
    if (inPipe[1] >= 0) close(inPipe[1]);
    close(outPipe[0]);
    close(errPipe[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.exitCode = 128 + WTERMSIG(status);
    return result;
}

std::set<std::string> ExportedNames(const std::string& library)
{
    const RunResult r = Run({VELTRA_NM, "-D", "--defined-only", library});
    EXPECT_EQ(r.exitCode, 0) << library << ": " << r.err;
    std::set<std::string> names;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) names.insert(line.substr(line.rfind(' ') + 1));
    return names;
}

int BaselineThreadCount()
{
    std::thread([] {}).join();
    return plat::CountProcessThreads();
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<unsigned char> ReadBytes(const std::string& path)
{
    std::string s = ReadFile(path);
    return std::vector<unsigned char>(s.begin(), s.end());
}

void WriteFile(const std::string& path, const std::string& contents)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

long long FileSize(const std::string& path)
{
    std::error_code ec;
    auto size = fs::file_size(path, ec);
    return ec ? -1 : static_cast<long long>(size);
}

DebugCapture::DebugCapture()
{
    plat::SetDebugSink(&DebugCapture::Sink, this);
}
DebugCapture::~DebugCapture()
{
    plat::SetDebugSink(nullptr, nullptr);
}

void DebugCapture::Sink(const char* line, void* self)
{
    auto* capture = static_cast<DebugCapture*>(self);
    std::lock_guard<std::mutex> lock(capture->mutex_);
    capture->lines_.emplace_back(line);
}

std::vector<std::string> DebugCapture::lines() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

bool DebugCapture::contains(const std::string& line) const
{
    return count(line) > 0;
}

size_t DebugCapture::count(const std::string& line) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<size_t>(std::count(lines_.begin(), lines_.end(), line));
}

void DebugCapture::clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
}

} // namespace testsupport
