#include "VorbisStream.h"

#include "Utf8.h"

#include "include/CdAudio.h"
#include "include/Veltraenc.h"

namespace veltraenc
{

VorbisStream::VorbisStream() : VorbisStream(kVorbisLibrary) {}

VorbisStream::VorbisStream(const char* libraryName) : EncoderStream("ogg", "wb", libraryName) {}

int VorbisStream::Init()
{
    if (!HasBackEnd()) return 0; // no library: nothing is started and no buffer is made
    if (IsStarted()) return 1;

    // Empty texts become null pointers; the strings live only for the start call.
    const Utf8Text title = ToUtf8(Tag().title.data());
    const Utf8Text artist = ToUtf8(Tag().artist.data());
    const Utf8Text album = ToUtf8(Tag().album.data());
    const Utf8Text year = ToUtf8(Tag().year.data());
    BEConfigVorbis config = MakeConfig(title.get(), album.get(), artist.get(), year.get());
    return StartBackEnd(&config);
}

uint64_t VorbisStream::ChunkBytes(uint64_t reportedSamples) const
{
    // A Vorbis chunk is the reported count halved, in bytes. Whole sample pairs only: an odd
    // chunk would split a sample and lose a byte at every call; not even one pair per chunk
    // could never fill.
    return (reportedSamples / 2) & ~uint64_t{CD_SAMPLE_FRAME_BYTES - 1};
}

BEConfigVorbis VorbisStream::MakeConfig(const char* title, const char* album, const char* artist,
                                        const char* year) const
{
    BEConfigVorbis config{};
    config.kind = BE_CONFIG_VORBIS;
    config.version = BE_VORBIS_RECORD_VERSION;
    config.channels = BE_VORBIS_CHANNELS;
    config.sampleRate = CD_SAMPLE_RATE;
    config.title = title;
    config.album = album;
    config.artist = artist;
    config.year = year;
    config.parameter6 = _parameters.parameter6;
    config.parameter4 = _parameters.parameter4;
    config.parameter5 = _parameters.parameter5;
    return config;
}

int VorbisStream::SetIntOption(int option, int value)
{
    switch (option) {
    case VORBIS_PARAM_4:
        _parameters.parameter4 = value;
        return 1;
    case VORBIS_PARAM_5:
    case VORBIS_PARAM_5_ALIAS:
        _parameters.parameter5 = value;
        return 1;
    case VORBIS_PARAM_6:
        _parameters.parameter6 = value;
        return 1;
    case ID3_LEVEL:
        SetTagLevel(0); // an Ogg file never gets an ID3 tag
        return 1;
    default:
        return EncoderStream::SetIntOption(option, value);
    }
}

} // namespace veltraenc
