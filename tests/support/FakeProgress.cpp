#include "FakeProgress.h"

namespace testsupport
{

void FakeProgress::SetPosition(int percent)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        positions_.push_back(percent);
    }
    if (onPosition) onPosition(percent);
}

void FakeProgress::Close(RipResult result)
{
    std::lock_guard<std::mutex> lock(mutex_);
    closes_.push_back(result);
    closed_.notify_all();
}

bool FakeProgress::AskOverwrite(const char* caption, const char* text)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        questions_.push_back(std::string(caption) + "|" + text);
    }
    return answer();
}

void FakeProgress::ShowError(const char* caption, const char* text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    errors_.push_back(std::string(caption) + "|" + text);
}

RipResult FakeProgress::Wait()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (closes_.empty())
        closed_.wait(lock);
    return closes_.front();
}

std::vector<int> FakeProgress::positions() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return positions_;
}

std::vector<RipResult> FakeProgress::closes() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return closes_;
}

std::vector<std::string> FakeProgress::questions() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return questions_;
}

std::vector<std::string> FakeProgress::errors() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return errors_;
}

} // namespace testsupport
