// A progress sink for rips without a window: records what the job reports, answers the
// overwrite question, and lets the test wait for the close.
#pragma once

#include "app/rip/RipProgress.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport
{

class FakeProgress : public RipProgress
{
public:
    // Records the position, then calls onPosition (on the encoder thread).
    void SetPosition(int percent) override;
    // Records every close; the first one ends Wait.
    void Close(RipResult result) override;
    // Records "caption|text" and gives answer's reply.
    bool AskOverwrite(const char* caption, const char* text) override;
    void ShowError(const char* caption, const char* text) override;
    uint32_t ClosePauseMs() const override { return 0; }

    // Until the first close; its result.
    RipResult Wait();

    std::vector<int> positions() const;
    std::vector<RipResult> closes() const;
    std::vector<std::string> questions() const;
    std::vector<std::string> errors() const;

    // Set before the rip starts.
    std::function<void(int percent)> onPosition;
    std::function<bool()> answer = [] { return true; };

private:
    mutable std::mutex mutex_;
    std::condition_variable closed_;
    std::vector<int> positions_;
    std::vector<RipResult> closes_;
    std::vector<std::string> questions_, errors_;
};

} // namespace testsupport
