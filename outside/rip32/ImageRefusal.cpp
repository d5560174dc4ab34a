#include "ImageRefusal.h"

#include <mutex>

namespace rip32
{

namespace
{

std::mutex& Mutex()
{
    static std::mutex mutex;
    return mutex;
}

std::string& Text()
{
    static std::string text;
    return text;
}

} // namespace

void SetImageRefusal(const std::string& text)
{
    std::lock_guard<std::mutex> lock(Mutex());
    Text() = text;
}

void ClearImageRefusal()
{
    std::lock_guard<std::mutex> lock(Mutex());
    Text().clear();
}

std::string ImageRefusal()
{
    std::lock_guard<std::mutex> lock(Mutex());
    return Text();
}

} // namespace rip32
