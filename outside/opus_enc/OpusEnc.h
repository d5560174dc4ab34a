// libopus_enc.so, the "opus_enc.dll" of this system: the BladeEnc-style entry points of
// include/BladeEnc.h on libopusenc. Only the entry points' contract binds the encoder library;
// everything else below is this back-end's own choice.
//
// Streams. beInitStream takes an Opus record (BE_CONFIG_OPUS, version 1, 2 channels, a rate of
// 8 to 192 kHz, 6-510 kbit/s) and hands out a small table index, 1 to kOpusMaxStreams;
// anything else is refused with a non-zero result and a zero stream. Streams may be used from
// different threads, each stream from one thread at a time.
//
// Input. Interleaved 16-bit little-endian stereo read as bytes (any address); sample counts
// count both channels. beEncodeChunk takes up to kOpusChunkSamples samples, an odd count drops
// its last half frame.
//
// Output. Ogg Opus pages as libopusenc completes them: the header names the input rate, the
// comments carry TITLE, ARTIST, ALBUM, DATE and TRACKNUMBER of the record; libopusenc resamples
// to 48 kHz, sets the pre-skip and ends the stream with the granule position that trims the
// decoded audio to exactly the input's length. beDeinitStream drains the stream. There is no
// beWriteVBRHeader: nothing is completed after the end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace opusenc
{

constexpr size_t kOpusMaxStreams = 64;
// 16-bit samples (both channels counted) per beEncodeChunk call.
constexpr uint32_t kOpusChunkSamples = 8192;

} // namespace opusenc
