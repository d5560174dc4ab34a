// The stand-in's stream handles: small indices into a table of running Vorbis encoders.
#pragma once

#include "VorbisEncoder.h"

#include <array>
#include <memory>
#include <mutex>

namespace vorbenc
{

constexpr size_t kMaxStreams = 64;

class StreamTable
{
public:
    static StreamTable& Instance();

    // The handle (index + 1) of the stored encoder; 0 when the table is full.
    BEStream Add(std::unique_ptr<VorbisEncoder> encoder);
    // The encoder of a handle, kept alive for the caller even if another thread removes it.
    std::shared_ptr<VorbisEncoder> Find(BEStream handle) const;
    bool Remove(BEStream handle);

private:
    mutable std::mutex _mutex;
    std::array<std::shared_ptr<VorbisEncoder>, kMaxStreams> _slots;
};

} // namespace vorbenc
