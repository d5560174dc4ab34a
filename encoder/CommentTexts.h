// The tag texts of a stream as UTF-8 for the FLAC and Opus back-ends' Vorbis comments; they
// live as long as this record, so only for the start of the back-end stream.
#pragma once

#include "EncoderStream.h"
#include "Utf8.h"

namespace veltraenc
{

struct CommentTexts {
    // Empty texts stay null without a message: most rips have no year or album.
    explicit CommentTexts(const Id3Fields& tag);

    Utf8Text title, album, artist, year;
};

} // namespace veltraenc
