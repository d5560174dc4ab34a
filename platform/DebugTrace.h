// The debug trace: one printf-formatted line of at most 511 characters to the debugger output.
#pragma once

namespace plat
{

constexpr int kDebugTraceSize = 512;

void DebugTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The debugger output: standard error while a debugger is attached, else nowhere, unless a
// sink is installed (tests install one to check the exact lines).
void OutputDebugString(const char* line);

using DebugSink = void (*)(const char* line, void* context);
// Installs a sink for this module's trace (null removes it). Not for use while tracing runs.
void SetDebugSink(DebugSink sink, void* context);

bool IsDebuggerPresent();

} // namespace plat
