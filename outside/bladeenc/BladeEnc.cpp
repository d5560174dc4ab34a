// The exported BladeEnc-style entry points of libbladeenc.so (choices in BladeEncStandIn.h).
#define BLADEENC_BUILD
#include "BladeEnc.h"

#include "BladeEncStandIn.h"
#include "ShineEncoder.h"
#include "StreamTable.h"

#include <cstring>

using backend::Guarded;
using namespace bladeenc;

namespace
{

backend::StreamTable<ShineEncoder, kBladeMaxStreams> g_streams;

} // namespace

extern "C" {

void beVersion(BEVersionRecord* version)
{
    if (!version) return;
    std::memset(version, 0, sizeof *version);
    version->interfaceMajor = kBladeInterfaceMajor;
    version->interfaceMinor = kBladeInterfaceMinor;
    version->engineMajor = SHINE_VERSION_MAJOR;
    version->engineMinor = SHINE_VERSION_MINOR;
}

uint32_t beInitStream(void* config, uint32_t* samplesPerChunk, uint32_t* outputBufferSize,
                      BEStream* stream)
{
    if (stream) *stream = 0;
    if (!config || !samplesPerChunk || !outputBufferSize || !stream)
        return BE_ERR_INVALID_PARAMETERS;
    return Guarded([&]() -> uint32_t {
        ShineSettings settings;
        if (const uint32_t error = ReadRecord(config, settings)) return error;
        std::shared_ptr<ShineEncoder> encoder = ShineEncoder::Start(settings);
        if (!encoder) return BE_ERR_INVALID_PARAMETERS;
        const uint32_t chunk = encoder->ChunkSamples(), buffer = encoder->OutputBufferSize();
        const BEStream handle = g_streams.Add(std::move(encoder));
        if (!handle) return BE_ERR_NO_MORE_HANDLES;
        *samplesPerChunk = chunk;
        *outputBufferSize = buffer;
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
    if (!outputLength || !output) return BE_ERR_INVALID_PARAMETERS;
    return Guarded([&]() -> uint32_t {
        const auto encoder = g_streams.Find(stream);
        if (!encoder || encoder->IsFinished()) return BE_ERR_INVALID_HANDLE;
        const int length = encoder->Finish(output);
        if (length < 0) return BE_ERR_INVALID_PARAMETERS;
        *outputLength = static_cast<uint32_t>(length);
        return BE_ERR_SUCCESSFUL;
    });
}

uint32_t beCloseStream(BEStream stream)
{
    return Guarded([&]() -> uint32_t {
        return g_streams.Remove(stream) ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_HANDLE;
    });
}

} // extern "C"
