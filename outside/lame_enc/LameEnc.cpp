// The exported BladeEnc-style entry points of liblame_enc.so (choices in LameEnc.h).
#define BLADEENC_BUILD
#include "LameEnc.h"

#include "LameEncoder.h"
#include "StreamTable.h"
#include "VbrHeader.h"

#include <cstring>
#include <memory>
#include <mutex>

using backend::Guarded;
using namespace lameenc;

namespace
{

std::mutex g_lock; // guards the kept frame
backend::StreamTable<LameEncoder, kLameMaxStreams> g_streams;

// The tag frame of the most recently finished stream, with that stream's size.
struct KeptFrame {
    std::vector<uint8_t> frame;
    uint64_t streamBytes = 0;
};
KeptFrame g_kept;

} // namespace

extern "C" {

void beVersion(BEVersionRecord* version)
{
    if (!version) return;
    lame_version_t engine{};
    get_lame_version_numerical(&engine);
    std::memset(version, 0, sizeof *version);
    version->interfaceMajor = kLameInterfaceMajor;
    version->interfaceMinor = kLameInterfaceMinor;
    version->engineMajor = static_cast<uint8_t>(engine.major);
    version->engineMinor = static_cast<uint8_t>(engine.minor);
}

uint32_t beInitStream(void* config, uint32_t* samplesPerChunk, uint32_t* outputBufferSize,
                      BEStream* stream)
{
    if (stream) *stream = 0;
    if (!config || !samplesPerChunk || !outputBufferSize || !stream)
        return BE_ERR_INVALID_PARAMETERS;
    return Guarded([&]() -> uint32_t {
        LameSettings settings;
        if (const uint32_t error = ReadRecord(config, settings)) return error;
        std::shared_ptr<LameEncoder> encoder = LameEncoder::Start(settings);
        if (!encoder) return BE_ERR_INVALID_PARAMETERS;
        const BEStream handle = g_streams.Add(std::move(encoder));
        if (!handle) return BE_ERR_NO_MORE_HANDLES;
        *samplesPerChunk = kLameChunkSamples;
        *outputBufferSize = kLameOutputBufferSize;
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
        {
            std::lock_guard<std::mutex> guard(g_lock);
            g_kept = KeptFrame{encoder->TagFrame(), encoder->StreamBytes()};
        }
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

uint32_t beWriteVBRHeader(const char* mp3Path)
{
    return Guarded([&]() -> uint32_t {
        KeptFrame kept;
        {
            std::lock_guard<std::mutex> guard(g_lock);
            kept = g_kept;
        }
        return WriteTagFrame(mp3Path, kept.frame, kept.streamBytes);
    });
}

} // extern "C"
