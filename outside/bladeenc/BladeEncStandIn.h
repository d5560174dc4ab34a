// libbladeenc.so, the "bladeenc.dll" of this system: the BladeEnc-style entry points of
// include/BladeEnc.h on libshine, plain record only, constant bitrate. What the encoder
// library relies on is only the contract of the entry points; everything below is this
// stand-in's own choice.
//
// Streams. beInitStream hands out a small table index, 1 to kBladeMaxStreams, never an
// address; 0 means no stream. A full table refuses with BE_ERR_NO_MORE_HANDLES. Each stream is
// used from one thread at a time.
//
// Record. Only the plain record (kind 0); any other kind fails with BE_ERR_INVALID_FORMAT. The
// sample rate is the input's and the output's and, with the bitrate, must be a pair libshine
// encodes (MPEG-1, 2 or 2.5 rates and their bitrates); mode 0-3 (BE_MP3_MODE_...) goes to
// libshine as it is; copyright and original go into the frame headers, and so does private
// (set by this stand-in in each header libshine writes). libshine writes no CRC: the CRC field
// is accepted and has no effect. Refused records fail with BE_ERR_INVALID_PARAMETERS (or
// BE_ERR_INVALID_FORMAT) and a zero stream.
//
// Input. Always interleaved 16-bit stereo, read as bytes (the samples may lie at any address);
// mono mode mixes both channels. Sample counts count both channels; an odd count drops its
// last half frame. A chunk is one MP3 frame of samples (1152 per channel for MPEG-1, 576
// otherwise); beEncodeChunk refuses more than a chunk and keeps samples short of a frame until
// the next call; beDeinitStream pads the last partial frame with silence and encodes it, and
// completes the last frame, whose final bytes libshine itself keeps back. The stream is whole
// frames. The output buffer size reported holds two frames, enough for any single call.
//
// No beWriteVBRHeader: the stream is constant bitrate and carries no VBR header frame.
//
// beVersion: interface 1.0 (it takes only the plain record) and the libshine version it was
// built against as the engine version.
#pragma once

#include <cstdint>

namespace bladeenc
{

constexpr uint8_t kBladeInterfaceMajor = 1;
constexpr uint8_t kBladeInterfaceMinor = 0;
constexpr uint32_t kBladeMaxStreams = 64;

} // namespace bladeenc
