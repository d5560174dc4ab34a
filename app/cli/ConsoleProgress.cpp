#include "ConsoleProgress.h"

#include "CdAudio.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <unistd.h>

ConsoleProgress::ConsoleProgress(std::string trackName, Overwrite overwrite, bool showBar)
    : name_(std::move(trackName)), overwrite_(overwrite), showBar_(showBar),
      closeEvent_(plat::CreateEvent(true, false))
{
}

ConsoleProgress::~ConsoleProgress()
{
    if (closeEvent_) plat::CloseEvent(closeEvent_);
}

void ConsoleProgress::SetPosition(int percent)
{
    position_.store(percent, std::memory_order_relaxed);
}

void ConsoleProgress::Close(RipResult result)
{
    bool expected = false;
    if (!closed_.compare_exchange_strong(expected, true)) return;
    result_ = result;
    plat::SetEvent(closeEvent_);
}

bool ConsoleProgress::AskOverwrite(const char* caption, const char* text)
{
    if (overwrite_ == Overwrite::Yes) return true;
    if (overwrite_ == Overwrite::Ask && isatty(STDIN_FILENO)) {
        std::printf("%s: %s\n%s [y/N] ", name_.c_str(), caption, text);
        std::fflush(stdout);
        char answer[16] = {};
        if (std::fgets(answer, sizeof answer, stdin) && (answer[0] == 'y' || answer[0] == 'Y'))
            return true;
    }
    declined_ = true;
    return false;
}

void ConsoleProgress::ShowError(const char* caption, const char* text)
{
    std::fprintf(stderr, "%s: %s: %s\n", name_.c_str(), caption, text);
    openFailed_ = true;
}

void ConsoleProgress::Draw(bool last)
{
    if (!showBar_ || declined_ || openFailed_) return;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const int percent = position_.load(std::memory_order_relaxed);
    const double audio = lengthFrames_ / double{CD_FRAMES_PER_SECOND} * percent / 100.0;
    const double speed = seconds > 0.05 ? audio / seconds : 0.0;
    char bar[31];
    const int filled = percent * 30 / 100;
    for (int i = 0; i < 30; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[30] = '\0';
    std::printf("\r%-12s [%s] %3d%%  %5.1fx%s", name_.c_str(), bar, percent, speed,
                last ? "\n" : "");
    std::fflush(stdout);
}

bool ConsoleProgress::WaitClosed(uint32_t ms)
{
    return plat::WaitForEvent(closeEvent_, ms) == plat::kWaitObject0;
}

RipResult ConsoleProgress::result() const
{
    return closed_.load() ? result_ : RipResult::Cancelled;
}
