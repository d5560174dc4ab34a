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
        if (pipe(pipe_) != 0) return;
        saved_ = dup(STDERR_FILENO);
        dup2(pipe_[1], STDERR_FILENO);
        close(pipe_[1]);
    }
    ~StderrCapture() { Text(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Ends the capture (on the first call) and returns everything written meanwhile.
    const std::string& Text()
    {
        if (saved_ < 0) return text_;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO); // the pipe's last writer is gone: reading ends
        close(saved_);
        saved_ = -1;
        char buffer[4096];
        for (ssize_t n; (n = read(pipe_[0], buffer, sizeof buffer)) > 0;)
            text_.append(buffer, static_cast<size_t>(n));
        close(pipe_[0]);
        return text_;
    }

private:
    int pipe_[2] = {-1, -1};
    int saved_ = -1;
    std::string text_;
};

} // namespace vorbistest
