#include "OpusStream.h"

#include "include/CdAudio.h"
#include "CommentTexts.h"

#include "include/Veltraenc.h"

namespace veltraenc
{

OpusStream::OpusStream() : OpusStream(kOpusLibrary) {}

OpusStream::OpusStream(const char* libraryName) : EncoderStream("opus", "wb", libraryName) {}

int OpusStream::Init()
{
    if (!HasBackEnd()) return 0;
    if (IsStarted()) return 1;
    const CommentTexts texts(Tag());
    BEConfigOpus config =
        MakeConfig(texts.title.get(), texts.album.get(), texts.artist.get(), texts.year.get());
    return StartBackEnd(&config);
}

BEConfigOpus OpusStream::MakeConfig(const char* title, const char* album, const char* artist,
                                    const char* year) const
{
    BEConfigOpus config{};
    config.kind = BE_CONFIG_OPUS;
    config.version = BE_OPUS_RECORD_VERSION;
    config.channels = CD_CHANNELS;
    config.sampleRate = CD_SAMPLE_RATE;
    config.bitrate = static_cast<uint32_t>(_bitrate);
    config.vbr = _vbr;
    config.trackNumber = Tag().track;
    config.title = title;
    config.album = album;
    config.artist = artist;
    config.year = year;
    return config;
}

int OpusStream::SetIntOption(int option, int value)
{
    switch (option) {
    case OPUS_BITRATE:
        // Refused rather than cut to 16 bits: 65 536 + 160 must not pass as 160.
        if (value < BE_OPUS_KBPS_MIN || value > BE_OPUS_KBPS_MAX) return 0;
        _bitrate = value;
        return 1;
    case OPUS_VBR:
        _vbr = value != 0 ? 1 : 0;
        return 1;
    case ID3_LEVEL:
        return 1; // accepted, but the level stays 0: the tags are Vorbis comments
    default:
        return EncoderStream::SetIntOption(option, value);
    }
}

} // namespace veltraenc
