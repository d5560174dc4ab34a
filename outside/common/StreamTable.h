// What every BladeEnc-style stand-in needs: stream handles that are small indices (1 to N)
// into a table of running encoders, never pointers; and a guard that keeps every exception
// (memory running out) inside the library.
#pragma once

#include "BladeEnc.h"
#include "BoundaryGuard.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace backend
{

template <typename Encoder, size_t N> class StreamTable
{
public:
    using EncoderType = Encoder;
    // The handle of the stored encoder (the lowest free slot + 1); 0 when the table is full.
    BEStream Add(std::shared_ptr<Encoder> encoder)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (size_t i = 0; i < N; ++i) {
            if (!slots_[i]) {
                slots_[i] = std::move(encoder);
                return static_cast<BEStream>(i + 1);
            }
        }
        return 0;
    }

    // The encoder of a handle, kept alive for the caller even if another thread removes it.
    std::shared_ptr<Encoder> Find(BEStream handle) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (handle < 1 || handle > N) return nullptr;
        return slots_[handle - 1];
    }

    // Every stored encoder, kept alive for the caller.
    std::vector<std::shared_ptr<Encoder>> All() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::shared_ptr<Encoder>> all;
        for (const auto& slot : slots_)
            if (slot) all.push_back(slot);
        return all;
    }

    // False for a handle that names no stream. The encoder goes once no call uses it.
    bool Remove(BEStream handle)
    {
        std::shared_ptr<Encoder> released;
        std::lock_guard<std::mutex> lock(mutex_);
        if (handle < 1 || handle > N || !slots_[handle - 1]) return false;
        released.swap(slots_[handle - 1]);
        return true;
    }

private:
    mutable std::mutex mutex_;
    std::array<std::shared_ptr<Encoder>, N> slots_;
};

// Runs an entry point's work; what it throws becomes an error result.
template <typename Work> uint32_t Guarded(Work work) noexcept
{
    return boundary::Guarded<uint32_t>(BE_ERR_INVALID_PARAMETERS, work);
}

// beEncodeChunk of an encoder with ChunkSamples(), IsFinished() and
// Encode(bytes, sampleCount, output) giving the output length (negative on failure).
template <typename Table>
uint32_t EncodeChunk(Table& table, BEStream stream, uint32_t sampleCount, const int16_t* samples,
                     uint8_t* output, uint32_t* outputLength)
{
    if (outputLength) *outputLength = 0;
    if (!outputLength || !output || (!samples && sampleCount > 0)) return BE_ERR_INVALID_PARAMETERS;
    return Guarded([&]() -> uint32_t {
        const auto encoder = table.Find(stream);
        if (!encoder || encoder->IsFinished()) return BE_ERR_INVALID_HANDLE;
        // The output buffer holds what one chunk can complete, no more.
        if (sampleCount > encoder->ChunkSamples()) return BE_ERR_INVALID_PARAMETERS;
        if (sampleCount < 2) return BE_ERR_SUCCESSFUL;
        const int length =
            encoder->Encode(reinterpret_cast<const uint8_t*>(samples), sampleCount, output);
        if (length < 0) return BE_ERR_INVALID_PARAMETERS;
        *outputLength = static_cast<uint32_t>(length);
        return BE_ERR_SUCCESSFUL;
    });
}

// beInitStream of a back-end whose record of kind `kind` is `Record` and whose encoder has
// Create(record, error), OutputBufferSize(); chunks of `chunkSamples`.
template <typename Record, typename Table>
uint32_t InitStream(Table& table, uint32_t kind, uint32_t chunkSamples, void* config,
                    uint32_t* samplesPerChunk, uint32_t* outputBufferSize, BEStream* stream)
{
    if (stream) *stream = 0;
    if (!config || !samplesPerChunk || !outputBufferSize || !stream)
        return BE_ERR_INVALID_PARAMETERS;
    return Guarded([&]() -> uint32_t {
        uint32_t given;
        std::memcpy(&given, config, sizeof given);
        if (given != kind) return BE_ERR_INVALID_FORMAT;
        Record record;
        std::memcpy(&record, config, sizeof record);
        uint32_t error = BE_ERR_SUCCESSFUL;
        auto encoder = Table::EncoderType::Create(record, error);
        if (!encoder) return error;
        const uint32_t bufferSize = encoder->OutputBufferSize();
        const BEStream handle = table.Add(std::move(encoder));
        if (!handle) return BE_ERR_NO_MORE_HANDLES;
        *samplesPerChunk = chunkSamples;
        *outputBufferSize = bufferSize;
        *stream = handle;
        return BE_ERR_SUCCESSFUL;
    });
}

// beDeinitStream of an encoder with Finish(output, outputLength).
template <typename Table>
uint32_t DeinitStream(Table& table, BEStream stream, uint8_t* output, uint32_t* outputLength)
{
    if (outputLength) *outputLength = 0;
    auto encoder = table.Find(stream);
    if (!encoder) return BE_ERR_INVALID_HANDLE;
    return Guarded([&] { return encoder->Finish(output, outputLength); });
}

} // namespace backend
