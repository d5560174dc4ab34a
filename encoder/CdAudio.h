// The one audio format every stream receives: CD audio, 16-bit little-endian stereo at 44.1 kHz.
#pragma once

#include <cstdint>

namespace veltraenc
{

constexpr uint32_t kCdSampleRate = 44100;
constexpr uint16_t kCdChannels = 2;
constexpr uint16_t kCdBitsPerSample = 16;

} // namespace veltraenc
