// A checksum of an output file's audio that tags written later leave alone, so a re-tag can tell
// whether a file is still the one the rip wrote: WAV the CRC32 of its PCM, FLAC the MD5 its
// STREAMINFO records, MP3 a CRC32 of the bytes between the ID3v2 and ID3v1 tags, Ogg Vorbis and
// Opus a CRC32 of the page bodies after the header packets.
#pragma once

#include <cstdint>
#include <string>

namespace verify
{

// The log's form of the checksum: "PCM CRC32 1A2B3C4D", "FLAC MD5 <32 hex digits>" or
// "audio CRC32 1A2B3C4D", chosen by the file's extension (wav, flac, mp3, ogg, opus, any case).
// Empty with `error` when the file cannot be read or is not of its kind.
std::string FileChecksum(const std::string& path, std::string& error);

// The WAV file's form for a PCM CRC32 the rip computed as it wrote the file.
std::string PcmCrcChecksum(uint32_t crc32);

} // namespace verify
