#include "VorbisStream.h"

#include "include/Veltraenc.h"

namespace veltraenc
{

VorbisStream::VorbisStream() : EncoderStream("ogg", "wb", kVorbisLibrary) {}

int VorbisStream::Init()
{
    // The back-end start comes with the Vorbis work; until then nothing is started.
    return 0;
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
