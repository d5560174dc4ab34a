// liblame_enc.so, the "lame_enc.dll" of this system: the BladeEnc-style entry points of
// include/BladeEnc.h on libmp3lame. What the encoder library relies on is only the contract of
// the entry points; everything below is this stand-in's own choice.
//
// Streams. beInitStream hands out a small table index, 1 to kLameMaxStreams, never an address;
// 0 means no stream. A full table refuses with BE_ERR_NO_MORE_HANDLES. Streams may be used from
// different threads, each stream from one thread at a time.
//
// Input. Always interleaved 16-bit little-endian stereo, read as bytes (the samples may lie at
// any address). Sample counts count both channels; an odd count drops its last half frame.
// A chunk is kLameChunkSamples samples; beEncodeChunk refuses more than that (the output buffer
// is sized for one chunk) and takes fewer at any time, libmp3lame buffering the rest.
// The output buffer size reported is kLameOutputBufferSize bytes, enough for one chunk and
// for the final bytes of beDeinitStream.
//
// Records. Anything the engine refuses makes beInitStream fail with a non-zero result and a
// zero stream; nothing is started then.
//   Plain record (kind 0): the sample rate is the input and the output rate and must be one of
//   the nine MPEG rates; constant bitrate, which must be one of the MPEG version's bitrates;
//   mode 0-3 (BE_MP3_MODE_...); CRC, copyright, original and private go into every frame
//   header (private is the header's private bit); the engine's default quality; no VBR header.
//   LAME record (kind 256, version 1, size 331): input rate one of the nine MPEG rates; output
//   rate 0 (below) or one of them; the MPEG version 1 or 0 (BE_MPEG_VERSION_...). With output
//   rate 0 the encoder keeps the input rate for MPEG-1 and halves it for MPEG-2 (a rate that is
//   already an MPEG-2 or 2.5 rate stays); an output rate of the other version is refused.
//   VBR non-zero: variable bitrate at VBR quality 0-9, the bitrate field the lowest bitrate and
//   the maximum bitrate the highest (0: the engine's); VBR 0: constant bitrate, maximum ignored.
//   Bitrates must be bitrates of the output's MPEG version. Preset (algorithm quality):
//   kLamePresetNone uses the engine's default, kLamePresetNormal quality 5, kLamePresetLow 7,
//   kLamePresetHigh 2; others are refused. Emphasis 0, 1 or 3; the psychoacoustic model field
//   is ignored. CRC, copyright, original and private as in the plain record. Write VBR header
//   non-zero makes the stream carry a placeholder frame for the Xing/LAME header at its start.
//
// VBR header. beDeinitStream finishes a stream and keeps its Xing/LAME tag frame (libmp3lame's
// lametag frame) as the frame of the most recently finished stream; a stream finished without
// the header step clears it. beWriteVBRHeader(path) writes that frame over the placeholder at
// the start of the file (after an ID3v2 tag, if one is there) and changes nothing unless the
// file is that stream's: it begins with a placeholder of the frame's size and holds the
// stream's bytes, optionally followed by a 128-byte ID3v1 tag.
//
// beVersion: interface 1.4 (kLameInterfaceMajor/Minor) and the linked libmp3lame's major and
// minor version as the engine version.
#pragma once

#include "BladeEnc.h"

#include <cstdint>

namespace lameenc
{

constexpr uint8_t kLameInterfaceMajor = 1;
constexpr uint8_t kLameInterfaceMinor = 4;
constexpr uint32_t kLameMaxStreams = 64;
constexpr uint32_t kLameFrameSamples = 1152;                  // per channel
constexpr uint32_t kLameChunkSamples = kLameFrameSamples * 2; // both channels
// libmp3lame's worst case for n samples per channel is 1.25 n + 7200 bytes.
constexpr uint32_t kLameOutputBufferSize = kLameFrameSamples * 5 / 4 + 7200;

constexpr int32_t kLamePresetNone = -1;
constexpr int32_t kLamePresetNormal = 0;
constexpr int32_t kLamePresetLow = 1;
constexpr int32_t kLamePresetHigh = 2;

} // namespace lameenc
