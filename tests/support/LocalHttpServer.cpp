#include "LocalHttpServer.h"

#include "TestSupport.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport
{

LocalHttpServer::LocalHttpServer(const std::string& root)
{
    char pattern[] = "/tmp/veltra-http-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    control_ = pattern;
    const std::string script = SourceDir() + "/tests/support/http_server.py";
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ == 0) {
        // A test that dies (a sanitizer's abort) takes its server with it, and the server never
        // holds the test's output open, or the test runner would wait on it.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (const int null = ::open("/dev/null", O_WRONLY); null >= 0) ::dup2(null, 2);
        ::dup2(fds[1], 1);
        ::close(fds[0]);
        ::close(fds[1]);
        ::execlp("python3", "python3", script.c_str(), root.c_str(), control_.c_str(),
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string line;
    char c;
    while (::read(fds[0], &c, 1) == 1 && c != '\n')
        line += c;
    ::close(fds[0]);
    port_ = std::atoi(line.c_str());
    if (pid_ < 0 || port_ <= 0) {
        Stop();
        throw std::runtime_error("the local HTTP server did not start");
    }
}

LocalHttpServer::~LocalHttpServer()
{
    Stop();
    std::error_code ec;
    std::filesystem::remove_all(control_, ec);
}

void LocalHttpServer::Stop()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }
}

std::string LocalHttpServer::url() const
{
    return "http://127.0.0.1:" + std::to_string(port_);
}

void LocalHttpServer::Route(const std::string& match, const std::string& action)
{
    std::string words = action;
    for (char& ch : words)
        if (ch == ' ') ch = '\t';
    const std::string line = match + "\t" + words + "\n";
    std::ofstream(control_ + "/routes", std::ios::app) << line;
}

namespace
{

std::vector<std::string> Column(const std::string& path, int column)
{
    std::vector<std::string> out;
    std::istringstream in(ReadFile(path));
    for (std::string line; std::getline(in, line);) {
        const size_t tab = line.find('\t');
        out.push_back(column == 0 ? line.substr(0, tab)
                                  : (tab == std::string::npos ? "" : line.substr(tab + 1)));
    }
    return out;
}

} // namespace

std::vector<std::string> LocalHttpServer::Requests() const
{
    return Column(control_ + "/requests.log", 0);
}

std::vector<std::string> LocalHttpServer::UserAgents() const
{
    return Column(control_ + "/requests.log", 1);
}

} // namespace testsupport
