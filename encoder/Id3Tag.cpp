#include "Id3Tag.h"

#include "EncoderStream.h"

#include <cstring>

namespace veltraenc
{

namespace
{

constexpr size_t kTitleOffset = 3;
constexpr size_t kArtistOffset = 33;
constexpr size_t kAlbumOffset = 63;
constexpr size_t kYearOffset = 93;
constexpr size_t kTrackOffset = 126;
constexpr size_t kGenreOffset = 127;

template <size_t N> void PutText(Id3TagBlock& tag, size_t offset, const std::array<char, N>& text)
{
    // The members are NUL-terminated within their capacity, so the text fits its field.
    std::memcpy(tag.data() + offset, text.data(), strnlen(text.data(), N - 1));
}

} // namespace

bool HasId3Texts(const Id3Fields& fields)
{
    return fields.title[0] != '\0' && fields.artist[0] != '\0' && fields.album[0] != '\0';
}

Id3TagBlock MakeId3Tag(const Id3Fields& fields)
{
    Id3TagBlock tag{};
    std::memcpy(tag.data(), "TAG", 3);
    PutText(tag, kTitleOffset, fields.title);
    PutText(tag, kArtistOffset, fields.artist);
    PutText(tag, kAlbumOffset, fields.album);
    std::memcpy(tag.data() + kYearOffset, fields.year.data(), kTagYearCapacity);
    tag[kTrackOffset] = fields.track;
    tag[kGenreOffset] = fields.genre;
    return tag;
}

} // namespace veltraenc
