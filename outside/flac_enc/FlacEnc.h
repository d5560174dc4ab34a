// libflac_enc.so, the "flac_enc.dll" of this system: the BladeEnc-style entry points of
// include/BladeEnc.h on libFLAC. Only the entry points' contract binds the encoder library;
// everything else below is this back-end's own choice.
//
// Streams. beInitStream takes a FLAC record (BE_CONFIG_FLAC, version 1, 2 channels, 16 bits,
// a rate libFLAC accepts, level 0-8) and hands out a small table index, 1 to kFlacMaxStreams;
// anything else is refused with a non-zero result and a zero stream. Streams may be used from
// different threads, each stream from one thread at a time.
//
// Input. Interleaved 16-bit little-endian stereo read as bytes (any address); sample counts
// count both channels. beEncodeChunk takes up to kFlacChunkSamples samples, an odd count drops
// its last half frame. The output buffer size reported holds what one call can give.
//
// Output. The file's head comes first: "fLaC", a STREAMINFO still without sample count and MD5,
// the Vorbis comments (TITLE, ARTIST, ALBUM, DATE, TRACKNUMBER of the record) and a padding
// block; then the frames, verified as they are made when the record asks. beDeinitStream ends
// the stream (a verify failure or an encoder error is a non-zero result) and keeps its
// completed head: STREAMINFO with the sample count, the frame sizes and the MD5 of the audio,
// and a seek table (a point every 10 seconds, fewer for very long streams) taken out of the
// padding, so the head keeps its size.
//
// beWriteVBRHeader(path) writes that completed head over the head of the file, which must be
// exactly the bytes of a finished stream not yet released by beCloseStream (its size, its
// first bytes and a hash of all its bytes are compared), so several streams may finish at
// once. A file that is no such stream's is refused and left as it is; it still decodes, with
// an unknown length and MD5.
#pragma once

#include <cstddef>
#include <cstdint>

namespace flacenc
{

constexpr size_t kFlacMaxStreams = 64;
// 16-bit samples (both channels counted) per beEncodeChunk call.
constexpr uint32_t kFlacChunkSamples = 8192;
// Room left in the head for the seek table and for taggers.
constexpr uint32_t kFlacPaddingBytes = 8192;
constexpr uint32_t kFlacSeekSpacingSeconds = 10;

} // namespace flacenc
