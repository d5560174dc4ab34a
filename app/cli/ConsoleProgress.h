// The console ripper's progress dialog: a progress line on the terminal, the overwrite question
// asked there (or answered by --overwrite), and the close the main thread waits for. One per
// track in flight.
#pragma once

#include "app/rip/RipProgress.h"

#include "platform/Event.h"

#include <atomic>
#include <chrono>
#include <string>

class ConsoleProgress : public RipProgress
{
public:
    enum class Overwrite { Yes, Ask, No };
    ConsoleProgress(std::string trackName, Overwrite overwrite, bool showBar);
    ~ConsoleProgress() override;

    void SetPosition(int percent) override;
    void Close(RipResult result) override;
    bool AskOverwrite(const char* caption, const char* text) override;
    void ShowError(const char* caption, const char* text) override;
    uint32_t ClosePauseMs() const override { return 0; }

    // Waits at most `ms` for the close; true once closed.
    bool WaitClosed(uint32_t ms);
    // The close's result; Cancelled until closed.
    RipResult result() const;
    // The progress line (carriage return first; a line end when `last`), when it is shown.
    void Draw(bool last);

    bool declined() const { return declined_; }
    bool openFailed() const { return openFailed_; }

private:
    std::string name_;
    Overwrite overwrite_;
    bool showBar_;
    std::atomic<int> position_{0};
    std::atomic<bool> closed_{false};
    RipResult result_ = RipResult::Cancelled;
    plat::EventHandle closeEvent_;
    bool declined_ = false;
    bool openFailed_ = false;
    uint32_t lengthFrames_ = 0;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();

public:
    void SetLengthFrames(uint32_t frames) { lengthFrames_ = frames; }
};
