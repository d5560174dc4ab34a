#include "LameEncoder.h"

#include "LameEnc.h"

#include <cstring>

namespace lameenc
{

std::unique_ptr<LameEncoder> LameEncoder::Start(const LameSettings& settings)
{
    lame_t encoder = StartEncoder(settings);
    if (!encoder) return nullptr;
    return std::unique_ptr<LameEncoder>(new LameEncoder(encoder, settings.writeVbrHeader));
}

LameEncoder::LameEncoder(lame_t encoder, bool withTagFrame)
    : _encoder(encoder), _withTagFrame(withTagFrame), _scratch(kLameChunkSamples)
{
}

LameEncoder::~LameEncoder()
{
    lame_close(_encoder);
}

int LameEncoder::Encode(const uint8_t* samples, uint32_t sampleCount, uint8_t* output)
{
    const uint32_t frames = sampleCount / 2; // an odd count's last half frame is dropped
    std::memcpy(_scratch.data(), samples, size_t{frames} * 4);
    const int length =
        lame_encode_buffer_interleaved(_encoder, _scratch.data(), static_cast<int>(frames), output,
                                       static_cast<int>(kLameOutputBufferSize));
    if (length < 0) return -1;
    _streamBytes += static_cast<uint64_t>(length);
    return length;
}

int LameEncoder::Finish(uint8_t* output)
{
    const int length = lame_encode_flush(_encoder, output, static_cast<int>(kLameOutputBufferSize));
    _finished = true;
    if (length < 0) return -1;
    _streamBytes += static_cast<uint64_t>(length);
    if (_withTagFrame) {
        const size_t size = lame_get_lametag_frame(_encoder, nullptr, 0);
        _tagFrame.resize(size);
        if (size > 0 && lame_get_lametag_frame(_encoder, _tagFrame.data(), size) != size)
            _tagFrame.clear();
    }
    return length;
}

} // namespace lameenc
