// Shared helpers of the tests: temporary folders, private program folders, running programs,
// the names a library exports, capturing the debug trace, reading and writing whole files.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace testsupport
{

// The build's program folder, the repository, the shared real-world test data, tests/data.
std::string BinDir();
std::string SourceDir();
std::string SharedTestData();
std::string TestDataDir();

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A program folder of the test's own: hard links (or copies) of the files of bin/, without
// any settings file, so that every test has its own settings and default output folder.
class ProgramFolder : public TempDir
{
public:
    ProgramFolder();
    std::string program(const std::string& name) const { return *this / name; }
};

struct RunResult {
    int exitCode = -1; // the exit status, or 128 + signal number
    std::string out;
    std::string err;
};

// Runs a program with extra environment variables and the given standard input; no terminal.
RunResult Run(const std::vector<std::string>& argv,
              const std::map<std::string, std::string>& env = {}, const std::string& input = {},
              int timeoutSeconds = 300);

// The names a shared library exports: its defined dynamic symbols, as nm lists them.
std::set<std::string> ExportedNames(const std::string& library);

// The process's thread count once a first thread has come and gone: runtimes (a sanitizer's,
// say) start helper threads of their own with the first thread.
int BaselineThreadCount();

std::string ReadFile(const std::string& path);
std::vector<unsigned char> ReadBytes(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);
bool FileExists(const std::string& path);
long long FileSize(const std::string& path);

// Collects the lines of this module's debug trace while it lives.
class DebugCapture
{
public:
    DebugCapture();
    ~DebugCapture();
    std::vector<std::string> lines() const;
    bool contains(const std::string& line) const;
    size_t count(const std::string& line) const;
    void clear();

private:
    static void Sink(const char* line, void* self);
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

} // namespace testsupport
