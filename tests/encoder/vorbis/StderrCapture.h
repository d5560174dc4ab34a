// Captures what this process writes to its standard error stream while the capture lives.
#pragma once

#include <cstdio>
#include <string>
#include <unistd.h>

namespace vorbistest
{

class StderrCapture
{
public:
    StderrCapture()
    {
        std::fflush(stderr);
        if (pipe(_pipe) != 0) return;
        _saved = dup(STDERR_FILENO);
        dup2(_pipe[1], STDERR_FILENO);
        close(_pipe[1]);
    }
    ~StderrCapture() { Text(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Ends the capture (on the first call) and returns everything written meanwhile.
    const std::string& Text()
    {
        if (_saved < 0) return _text;
        std::fflush(stderr);
        dup2(_saved, STDERR_FILENO); // the pipe's last writer is gone: reading ends
        close(_saved);
        _saved = -1;
        char buffer[4096];
        for (ssize_t n; (n = read(_pipe[0], buffer, sizeof buffer)) > 0;)
            _text.append(buffer, static_cast<size_t>(n));
        close(_pipe[0]);
        return _text;
    }

private:
    int _pipe[2] = {-1, -1};
    int _saved = -1;
    std::string _text;
};

} // namespace vorbistest
