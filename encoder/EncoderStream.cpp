#include "EncoderStream.h"

#include "include/Veltraenc.h"
#include "platform/DebugTrace.h"

namespace veltraenc
{

EncoderStream::EncoderStream(const char* extension, const char* openMode, const char* libraryName)
    : OutputStream(extension, openMode), _library(LoadBackEndLibrary(libraryName))
{
    // A missing or incomplete library does not fail the creation; it shows in the
    // availability tests and leaves the stream without a back-end.
    if (_library) BindBackEnd();
}

EncoderStream::~EncoderStream() = default;

bool EncoderStream::BindBackEnd()
{
    _entry = LookUpEntryPoints(_library.get());
    if (_entry.IsComplete()) return true;
    _entry = {};
    _library.reset();
    return false;
}

int EncoderStream::SetIntOption(int option, int value)
{
    switch (option) {
    case ID3_LEVEL:
        _tag.level = value;
        plat::DebugTrace("Setting ID3_LEVEL to %d", value);
        return 1;
    case ID3_GENRE:
        _tag.genre = static_cast<uint8_t>(value);
        return 1;
    case ID3_TRACK:
        _tag.track = static_cast<uint8_t>(value);
        return 1;
    case MP3_BITRATE:
        _settings.bitrate = static_cast<uint16_t>(value);
        return 1;
    case MP3_MODE:
        _settings.mode = value;
        return 1;
    case MP3_ORIGINAL:
        _settings.original = value;
        return 1;
    case MP3_CRC:
        _settings.crc = value;
        return 1;
    case MP3_COPYRIGHT:
        _settings.copyright = value;
        return 1;
    case MP3_PRIVATE:
        _settings.privateFlag = value;
        return 1;
    default:
        return OutputStream::SetIntOption(option, value);
    }
}

int EncoderStream::SetAsciiOption(int option, const char* text)
{
    switch (option) {
    case ID3_YEAR:
        CopyCut(_tag.year, text);
        return 1;
    case ID3_ARTIST:
        CopyCut(_tag.artist, text);
        return 1;
    case ID3_ALBUM:
        CopyCut(_tag.album, text);
        return 1;
    case ID3_TITLE:
        CopyCut(_tag.title, text);
        return 1;
    default:
        return OutputStream::SetAsciiOption(option, text);
    }
}

int EncoderStream::Encode(const unsigned char*, int)
{
    // Nothing is encoded while no back-end stream runs, and Init starts none yet.
    return 0;
}

int EncoderStream::Flush()
{
    return 0; // as Encode: no back-end stream runs
}

int EncoderStream::Close()
{
    CloseOutputFile();
    if (_backEndStream && _entry.closeStream) _entry.closeStream(_backEndStream);
    _backEndStream = 0;
    return HasWriteFailed() ? 0 : 1;
}

} // namespace veltraenc
