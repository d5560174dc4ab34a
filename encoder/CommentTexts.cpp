#include "CommentTexts.h"

namespace veltraenc
{

namespace
{

Utf8Text Convert(const char* text)
{
    return text[0] != '\0' ? ToUtf8(text) : nullptr;
}

} // namespace

CommentTexts::CommentTexts(const Id3Fields& tag)
    : title(Convert(tag.title.data())), album(Convert(tag.album.data())),
      artist(Convert(tag.artist.data())), year(Convert(tag.year.data()))
{
}

} // namespace veltraenc
