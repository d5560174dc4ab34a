#include "Availability.h"

#include "BackEndLibrary.h"

namespace veltraenc
{

namespace
{

enum class LameKind { Missing, Plain, Lame };

LameKind TestLameLibrary()
{
    LibraryHandle library = LoadBackEndLibrary(kLameLibrary);
    BeVersionFn version = LookUpVersion(library.get());
    if (!version) return LameKind::Missing;
    BEVersionRecord record{};
    version(&record);
    const int engine = record.engineMajor * 256 + record.engineMinor;
    const int interface = record.interfaceMajor * 256 + record.interfaceMinor;
    return engine >= kLameEngineMinimum && interface >= kLameInterfaceMinimum ? LameKind::Lame
                                                                              : LameKind::Plain;
}

bool ExportsVersion(const char* fileName)
{
    LibraryHandle library = LoadBackEndLibrary(fileName);
    return LookUpVersion(library.get()) != nullptr;
}

} // namespace

int EncoderAvailable(EncoderType type)
{
    switch (type) {
    case XT_ENCODER_RAW:
    case XT_ENCODER_WAV:
        return 1;
    case XT_ENCODER_LAME1:
        return TestLameLibrary() == LameKind::Plain ? 1 : 0;
    case XT_ENCODER_LAME2:
        return TestLameLibrary() == LameKind::Lame ? 1 : 0;
    case XT_ENCODER_BLADE:
        return ExportsVersion(kBladeLibrary) ? 1 : 0;
    case XT_ENCODER_VORB:
        return ExportsVersion(kVorbisLibrary) ? 1 : 0;
    case XT_ENCODER_FLAC:
        return ExportsVersion(kFlacLibrary) ? 1 : 0;
    case XT_ENCODER_OPUS:
        return ExportsVersion(kOpusLibrary) ? 1 : 0;
    default:
        return 0;
    }
}

int FormatAvailable(int format)
{
    switch (format) {
    case XT_FORMAT_RAW:
    case XT_FORMAT_WAV:
        return 1;
    case XT_FORMAT_MP3:
        return EncoderAvailable(XT_ENCODER_LAME1) || EncoderAvailable(XT_ENCODER_LAME2) ||
                       EncoderAvailable(XT_ENCODER_BLADE)
                   ? 1
                   : 0;
    case XT_FORMAT_OGG:
        return EncoderAvailable(XT_ENCODER_VORB);
    case XT_FORMAT_FLAC:
        return EncoderAvailable(XT_ENCODER_FLAC);
    case XT_FORMAT_OPUS:
        return EncoderAvailable(XT_ENCODER_OPUS);
    default:
        return 0;
    }
}

} // namespace veltraenc
