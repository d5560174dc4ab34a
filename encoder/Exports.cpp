// The fourteen exported xt functions: handle checks, boundary checks, then the stream.
#include "Availability.h"
#include "HandleTable.h"

#include "include/BoundaryGuard.h"
#include "include/Veltraenc.h"

#include <cstdio>

using boundary::Guarded;
using veltraenc::HandleTable;
using veltraenc::OutputStream;

namespace
{

// Library-owned result texts that the next call overwrites.
constexpr size_t kExtensionBufferSize = 128;
// 260 name characters, the dot, 4 extension characters ("flac") and the NUL.
constexpr size_t kFilenameBufferSize =
    veltraenc::kFileNameCapacity + 1 + veltraenc::kLongExtensionCapacity + 1;
char g_extension[kExtensionBufferSize];
char g_filename[kFilenameBufferSize];

OutputStream* StreamOf(StreamHandle handle)
{
    return HandleTable::Instance().Find(handle);
}

} // namespace

extern "C" {

StreamHandle xtGetEncoder(EncoderType type)
{
    return Guarded(XT_NO_HANDLE, [&] { return HandleTable::Instance().Acquire(type); });
}

int xtSetIntOption(StreamHandle handle, int option, int value)
{
    return Guarded(0, [&] {
        OutputStream* stream = StreamOf(handle);
        return stream ? stream->SetIntOption(option, value) : 0;
    });
}

int xtSetAsciiOption(StreamHandle handle, int option, const char* text)
{
    return Guarded(0, [&] {
        OutputStream* stream = StreamOf(handle);
        // A null text is refused instead of being read.
        if (!stream || !text) return 0;
        return stream->SetAsciiOption(option, text);
    });
}

int xtCheckOutputFileExists(StreamHandle handle)
{
    return Guarded(0, [&] {
        OutputStream* stream = StreamOf(handle);
        return stream ? stream->CheckOutputFileExists() : 0;
    });
}

int xtOpenOutputFile(StreamHandle handle)
{
    return Guarded(0, [&] {
        OutputStream* stream = StreamOf(handle);
        return stream ? stream->OpenOutputFile() : 0;
    });
}

int xtGetOutputFileName(StreamHandle handle, char* buffer, int size)
{
    return Guarded(0, [&] {
        OutputStream* stream = StreamOf(handle);
        // A null buffer or a size below 1 is refused instead of being written to.
        if (!stream || !buffer || size < 1) return 0;
        return stream->ComposeFullPath(buffer, static_cast<size_t>(size)) ? 1 : 0;
    });
}

const char* xtGetExtension(StreamHandle handle)
{
    return Guarded<const char*>(nullptr, [&]() -> const char* {
        OutputStream* stream = StreamOf(handle);
        if (!stream) return nullptr;
        std::snprintf(g_extension, sizeof g_extension, "%s", stream->GetExtension());
        return g_extension;
    });
}

const char* xtGetFilename(StreamHandle handle)
{
    return Guarded<const char*>(nullptr, [&]() -> const char* {
        OutputStream* stream = StreamOf(handle);
        if (!stream) return nullptr;
        std::snprintf(g_filename, sizeof g_filename, "%s.%s", stream->GetBaseName(),
                      stream->GetExtension());
        return g_filename;
    });
}

int xtInit(StreamHandle handle)
{
    return Guarded(0, [&] {
        OutputStream* stream = StreamOf(handle);
        return stream ? stream->Init() : 0;
    });
}

int xtEncode(StreamHandle handle, const void* pcm, int count)
{
    return Guarded(0, [&] {
        OutputStream* stream = StreamOf(handle);
        // A null buffer or a negative count is refused instead of being read.
        if (!stream || !pcm || count < 0) return 0;
        return stream->Encode(static_cast<const unsigned char*>(pcm), count);
    });
}

int xtFlush(StreamHandle handle)
{
    return Guarded(0, [&] {
        OutputStream* stream = StreamOf(handle);
        return stream ? stream->Flush() : 0;
    });
}

int xtClose(StreamHandle handle)
{
    return Guarded(0, [&] { return HandleTable::Instance().Close(handle); });
}

int xtEncoderAvail(EncoderType type)
{
    return Guarded(0, [&] { return veltraenc::EncoderAvailable(type); });
}

int xtFormatAvail(int format)
{
    return Guarded(0, [&] { return veltraenc::FormatAvailable(format); });
}

} // extern "C"
