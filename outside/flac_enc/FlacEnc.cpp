// libflac_enc.so: the BladeEnc-style entry points over libFLAC (FlacEnc.h says what they do).
#define BLADEENC_BUILD
#include "BladeEnc.h"

#include "FlacEnc.h"
#include "FlacEncoder.h"
#include "StreamTable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

using backend::Guarded;

namespace
{

constexpr uint8_t kInterfaceMajor = 1, kInterfaceMinor = 10;
constexpr uint8_t kEngineMajor = 1, kEngineMinor = 4;

backend::StreamTable<flacenc::FlacEncoder, flacenc::kFlacMaxStreams> g_streams;

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

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
    return backend::InitStream<BEConfigFlac>(g_streams, BE_CONFIG_FLAC, flacenc::kFlacChunkSamples,
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

uint32_t beWriteVBRHeader(const char* path)
{
    if (!path) return BE_ERR_INVALID_PARAMETERS;
    return Guarded([&]() -> uint32_t {
        std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "r+b"));
        if (!file) return BE_ERR_INVALID_PARAMETERS;
        // Only finished streams whose head is still open can own the file: read it once.
        std::vector<std::shared_ptr<flacenc::FlacEncoder>> candidates;
        size_t headBytes = 0;
        for (auto& encoder : g_streams.All()) {
            if (!encoder->AwaitsHead()) continue;
            headBytes = std::max(headBytes, encoder->Head().size());
            candidates.push_back(encoder);
        }
        if (candidates.empty()) return BE_ERR_INVALID_PARAMETERS;
        std::vector<uint8_t> first;
        flacenc::StreamHash hash;
        uint64_t size = 0;
        std::vector<uint8_t> buffer(1 << 16);
        for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0;) {
            if (first.size() < headBytes)
                first.insert(first.end(), buffer.begin(),
                             buffer.begin() +
                                 static_cast<long>(std::min(n, headBytes - first.size())));
            hash.Update(buffer.data(), n);
            size += n;
        }
        if (std::ferror(file.get())) return BE_ERR_INVALID_PARAMETERS;
        for (auto& encoder : candidates) {
            const size_t own = encoder->Head().size();
            if (first.size() < own) continue;
            const std::vector<uint8_t> firstBytes(first.begin(),
                                                  first.begin() + static_cast<long>(own));
            if (!encoder->Owns(size, firstBytes, hash.Value())) continue;
            const auto& head = encoder->CompletedHead();
            if (std::fseek(file.get(), 0, SEEK_SET) != 0 ||
                std::fwrite(head.data(), 1, head.size(), file.get()) != head.size() ||
                std::fflush(file.get()) != 0)
                return BE_ERR_INVALID_PARAMETERS;
            encoder->MarkHeadWritten();
            return BE_ERR_SUCCESSFUL;
        }
        return BE_ERR_INVALID_PARAMETERS;
    });
}
