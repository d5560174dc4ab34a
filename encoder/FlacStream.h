// Encoder type 6: FLAC through "flac_enc.dll". The tag texts go to the back-end as UTF-8
// Vorbis comments, never as an ID3 tag; at close the back-end completes the file's STREAMINFO
// (sample count, MD5) and seek table, as the LAME stream has its VBR header written.
#pragma once

#include "EncoderStream.h"

namespace veltraenc
{

class FlacStream : public EncoderStream
{
public:
    FlacStream();
    // A stream on another back-end library of the same interface (tests use recorders).
    explicit FlacStream(const char* libraryName);
    // Starts the back-end with the FLAC record: 1 when started.
    int Init() override;
    int SetIntOption(int option, int value) override;
    // Closes the file, then has the back-end complete its head: 0 when a write failed or the
    // head of a finished stream could not be completed.
    int Close() override;
    // Ends the back-end stream; a started stream that was flushed gets its head at close.
    int Flush() override;

    int CompressionLevel() const { return _level; }
    BEConfigFlac MakeConfig(const char* title, const char* album, const char* artist,
                            const char* year) const;

private:
    int32_t _level = BE_FLAC_LEVEL_DEFAULT;
    bool _ended = false;
};

} // namespace veltraenc
