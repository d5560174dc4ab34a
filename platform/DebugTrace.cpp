#include "DebugTrace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace plat
{

namespace
{
std::atomic<DebugSink> g_sink{nullptr};
std::atomic<void*> g_sinkContext{nullptr};
} // namespace

void DebugTrace(const char* format, ...)
{
    char line[kDebugTraceSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    OutputDebugString(line);
}

void OutputDebugString(const char* line)
{
    if (!line) return;
    if (DebugSink sink = g_sink.load(std::memory_order_acquire)) {
        sink(line, g_sinkContext.load(std::memory_order_acquire));
        return;
    }
    if (IsDebuggerPresent()) {
        std::fputs(line, stderr);
        size_t n = std::strlen(line);
        if (n == 0 || line[n - 1] != '\n') std::fputc('\n', stderr);
    }
}

void SetDebugSink(DebugSink sink, void* context)
{
    g_sinkContext.store(context, std::memory_order_release);
    g_sink.store(sink, std::memory_order_release);
}

bool IsDebuggerPresent()
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return false;
    char buf[256];
    long tracer = 0;
    while (std::fgets(buf, sizeof buf, f)) {
        if (std::strncmp(buf, "TracerPid:", 10) == 0) {
            tracer = std::strtol(buf + 10, nullptr, 10);
            break;
        }
    }
    std::fclose(f);
    return tracer != 0;
}

} // namespace plat
