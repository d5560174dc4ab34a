// A local HTTP server for network tests: Python's http.server on 127.0.0.1 with a free port,
// serving a folder and answering 404, 503 with Retry-After, slow and cut replies on request.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport
{

class LocalHttpServer
{
public:
    // Serves the files of root (paths without the query). Started at once.
    explicit LocalHttpServer(const std::string& root);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    // "http://127.0.0.1:<port>"
    std::string url() const;
    int port() const { return port_; }

    // Adds a rule (see tests/support/http_server.py): a request whose target contains match
    // gets the action, e.g. Route("cmd=cddb+read", "file read.txt"), Route("x", "busy 1").
    void Route(const std::string& match, const std::string& action);
    // The request targets received so far, in order, and their User-Agent lines.
    std::vector<std::string> Requests() const;
    std::vector<std::string> UserAgents() const;

    // Stops the server (also done by the destructor); later requests find nobody listening.
    void Stop();

private:
    std::string control_;
    pid_t pid_ = -1;
    int port_ = 0;
};

} // namespace testsupport
