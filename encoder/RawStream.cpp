#include "RawStream.h"

namespace veltraenc
{

RawStream::RawStream() : OutputStream("dat", "wb") {}

int RawStream::Encode(const unsigned char* pcm, int count)
{
    if (!IsOpen() || count <= 0) return 0;
    return static_cast<int>(WriteOutput(pcm, static_cast<size_t>(count)));
}

} // namespace veltraenc
