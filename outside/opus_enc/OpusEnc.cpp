// libopus_enc.so: the BladeEnc-style entry points over libopusenc (OpusEnc.h says what they do).
#define BLADEENC_BUILD
#include "BladeEnc.h"

#include "OpusEnc.h"
#include "OpusEncoder.h"
#include "StreamTable.h"

#include <cstring>
#include <memory>
#include <vector>

using backend::Guarded;

namespace
{

constexpr uint8_t kInterfaceMajor = 1, kInterfaceMinor = 10;
constexpr uint8_t kEngineMajor = 0, kEngineMinor = 2;

backend::StreamTable<opusenc::OpusEncoder, opusenc::kOpusMaxStreams> g_streams;

} // namespace

void beVersion(BEVersionRecord* version)
{
    if (!version) return;
    std::memset(version, 0, sizeof *version);
    version->interfaceMajor = kInterfaceMajor;
    version->interfaceMinor = kInterfaceMinor;
    version->engineMajor = kEngineMajor;
    version->engineMinor = kEngineMinor;
}

uint32_t beInitStream(void* config, uint32_t* samplesPerChunk, uint32_t* outputBufferSize,
                      BEStream* stream)
{
    if (stream) *stream = 0;
    if (!config || !samplesPerChunk || !outputBufferSize || !stream)
        return BE_ERR_INVALID_PARAMETERS;
    return Guarded([&]() -> uint32_t {
        uint32_t kind;
        std::memcpy(&kind, config, sizeof kind);
        if (kind != BE_CONFIG_OPUS) return BE_ERR_INVALID_FORMAT;
        BEConfigOpus record;
        std::memcpy(&record, config, sizeof record);
        uint32_t error = BE_ERR_SUCCESSFUL;
        std::shared_ptr<opusenc::OpusEncoder> encoder = opusenc::OpusEncoder::Create(record, error);
        if (!encoder) return error;
        const uint32_t bufferSize = encoder->OutputBufferSize();
        const BEStream handle = g_streams.Add(std::move(encoder));
        if (!handle) return BE_ERR_NO_MORE_HANDLES;
        *samplesPerChunk = opusenc::kOpusChunkSamples;
        *outputBufferSize = bufferSize;
        *stream = handle;
        return BE_ERR_SUCCESSFUL;
    });
}

uint32_t beEncodeChunk(BEStream stream, uint32_t sampleCount, const int16_t* samples,
                       uint8_t* output, uint32_t* outputLength)
{
    return backend::EncodeChunk(g_streams, stream, sampleCount, samples, output, outputLength);
}

uint32_t beDeinitStream(BEStream stream, uint8_t* output, uint32_t* outputLength)
{
    if (outputLength) *outputLength = 0;
    auto encoder = g_streams.Find(stream);
    if (!encoder) return BE_ERR_INVALID_HANDLE;
    return Guarded([&] { return encoder->Finish(output, outputLength); });
}

uint32_t beCloseStream(BEStream stream)
{
    return g_streams.Remove(stream) ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_HANDLE;
}
