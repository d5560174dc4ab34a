// The 128-byte ID3 version 1.1 tag that MP3 files end in: its layout and the rule for when the
// tag texts are complete enough to be written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace veltraenc
{

struct Id3Fields;

constexpr size_t kId3TagSize = 128;
using Id3TagBlock = std::array<uint8_t, kId3TagSize>;

// A tag is written only when the title, the artist and the album are all known.
bool HasId3Texts(const Id3Fields& fields);

// "TAG", title, artist, album (30 bytes each, zero-padded, no terminator needed), the year's
// four bytes as they stand, a zero comment, the track number and the genre number.
Id3TagBlock MakeId3Tag(const Id3Fields& fields);

} // namespace veltraenc
