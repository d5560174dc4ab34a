#include "VorbisStream.h"

#include "CdAudio.h"
#include "Utf8.h"

#include "include/Veltraenc.h"

namespace veltraenc
{

namespace
{

// One stereo sample pair: the smallest piece of PCM a chunk may hold.
constexpr uint32_t kSampleFrameBytes = kCdChannels * kCdBitsPerSample / 8;

} // namespace

VorbisStream::VorbisStream() : VorbisStream(kVorbisLibrary) {}

VorbisStream::VorbisStream(const char* libraryName) : EncoderStream("ogg", "wb", libraryName) {}

int VorbisStream::Init()
{
    if (!HasBackEnd()) return 0; // no library: nothing is started and no buffer is made
    if (IsStarted()) return 1;

    // Empty texts become null pointers; the strings live only for the start call.
    const Utf8Text title = ToUtf8(_tag.title.data());
    const Utf8Text artist = ToUtf8(_tag.artist.data());
    const Utf8Text album = ToUtf8(_tag.album.data());
    const Utf8Text year = ToUtf8(_tag.year.data());
    BEConfigVorbis config = MakeConfig(title.get(), album.get(), artist.get(), year.get());
    if (!StartBackEnd(&config)) return 0;

    // StartBackEnd sizes chunks the MP3 way (reported samples x 2 bytes); a Vorbis chunk is the
    // reported count halved, in bytes. Whole sample pairs only: an odd chunk would split a
    // sample and lose a byte at every call.
    const uint32_t chunk = (_chunkSize / 4) & ~uint32_t{kSampleFrameBytes - 1};
    if (chunk == 0) {
        // Not even one sample pair per chunk: Encode could never fill one.
        CloseBackEnd();
        _stagingBuffer.reset();
        _outputBuffer.reset();
        _outputBufferSize = 0;
        _chunkSize = 0;
        return 0;
    }
    _chunkSize = chunk;
    return 1;
}

BEConfigVorbis VorbisStream::MakeConfig(const char* title, const char* album, const char* artist,
                                        const char* year) const
{
    BEConfigVorbis config{};
    config.kind = BE_CONFIG_VORBIS;
    config.version = BE_VORBIS_RECORD_VERSION;
    config.channels = BE_VORBIS_CHANNELS;
    config.sampleRate = kCdSampleRate;
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
        _tag.level = 0; // an Ogg file never gets an ID3 tag
        return 1;
    default:
        return EncoderStream::SetIntOption(option, value);
    }
}

} // namespace veltraenc
