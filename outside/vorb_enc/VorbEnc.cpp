// libvorb_enc.so: the BladeEnc-style entry points over libvorbisenc and libogg.
#define BLADEENC_BUILD
#include "BladeEnc.h"

#include "StreamTable.h"
#include "VorbisEncoder.h"

#include <cstring>
#include <new>

using backend::Guarded;

namespace
{

// Version of the interface this library follows and of its own engine.
constexpr uint8_t kInterfaceMajor = 1, kInterfaceMinor = 10;
constexpr uint8_t kEngineMajor = 1, kEngineMinor = 3;

constexpr size_t kMaxStreams = 64;
backend::StreamTable<vorbenc::VorbisEncoder, kMaxStreams> g_streams;

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
        // The kind comes first in every record; only a Vorbis record is read any further.
        uint32_t kind;
        std::memcpy(&kind, config, sizeof kind);
        if (kind != BE_CONFIG_VORBIS) return BE_ERR_INVALID_FORMAT;
        BEConfigVorbis record;
        std::memcpy(&record, config, sizeof record);

        uint32_t error = BE_ERR_SUCCESSFUL;
        auto encoder = vorbenc::VorbisEncoder::Create(record, error);
        if (!encoder) return error;
        const uint32_t bufferSize = encoder->OutputBufferSize();
        const BEStream handle = g_streams.Add(std::move(encoder));
        if (!handle) return BE_ERR_NO_MORE_HANDLES;
        *samplesPerChunk = vorbenc::kSamplesPerChunk;
        *outputBufferSize = bufferSize;
        *stream = handle;
        return BE_ERR_SUCCESSFUL;
    });
}

uint32_t beEncodeChunk(BEStream stream, uint32_t sampleCount, const int16_t* samples,
                       uint8_t* output, uint32_t* outputLength)
{
    if (outputLength) *outputLength = 0;
    return Guarded([&]() -> uint32_t {
        const auto encoder = g_streams.Find(stream);
        if (!encoder) return BE_ERR_INVALID_HANDLE;
        return encoder->Encode(reinterpret_cast<const uint8_t*>(samples), sampleCount, output,
                               outputLength);
    });
}

uint32_t beDeinitStream(BEStream stream, uint8_t* output, uint32_t* outputLength)
{
    if (outputLength) *outputLength = 0;
    return Guarded([&]() -> uint32_t {
        const auto encoder = g_streams.Find(stream);
        if (!encoder) return BE_ERR_INVALID_HANDLE;
        return encoder->Finish(output, outputLength);
    });
}

uint32_t beCloseStream(BEStream stream)
{
    return Guarded([&]() -> uint32_t {
        return g_streams.Remove(stream) ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_HANDLE;
    });
}
