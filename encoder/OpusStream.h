// Encoder type 7: Ogg Opus through "opus_enc.dll"; the tag texts go to the back-end as UTF-8
// Vorbis comments, never as an ID3 tag.
#pragma once

#include "EncoderStream.h"

namespace veltraenc
{

class OpusStream : public EncoderStream
{
public:
    OpusStream();
    // A stream on another back-end library of the same interface (tests use recorders).
    explicit OpusStream(const char* libraryName);
    // Starts the back-end with the Opus record: 1 when started.
    int Init() override;
    int SetIntOption(int option, int value) override;

    int32_t Bitrate() const { return _bitrate; }
    bool Vbr() const { return _vbr != 0; }
    BEConfigOpus MakeConfig(const char* title, const char* album, const char* artist,
                            const char* year) const;

private:
    int32_t _bitrate = BE_OPUS_KBPS_DEFAULT; // kbit/s
    int32_t _vbr = 1;
};

} // namespace veltraenc
