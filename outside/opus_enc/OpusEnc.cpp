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
    return backend::InitStream<BEConfigOpus>(g_streams, BE_CONFIG_OPUS, opusenc::kOpusChunkSamples,
                                             config, samplesPerChunk, outputBufferSize, stream);
}

uint32_t beEncodeChunk(BEStream stream, uint32_t sampleCount, const int16_t* samples,
                       uint8_t* output, uint32_t* outputLength)
{
    return backend::EncodeChunk(g_streams, stream, sampleCount, samples, output, outputLength);
}

uint32_t beDeinitStream(BEStream stream, uint8_t* output, uint32_t* outputLength)
{
    return backend::DeinitStream(g_streams, stream, output, outputLength);
}

uint32_t beCloseStream(BEStream stream)
{
    return g_streams.Remove(stream) ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_HANDLE;
}
