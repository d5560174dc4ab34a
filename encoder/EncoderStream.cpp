#include "EncoderStream.h"

#include "Id3Tag.h"

#include "include/Veltraenc.h"
#include "platform/DebugTrace.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace veltraenc
{

namespace
{

// Back-ends ask for a few kilobytes; anything beyond this is a broken report, not a size.
constexpr uint64_t kLargestBuffer = uint64_t{64} << 20;

int ClampToInt(uint64_t value)
{
    return static_cast<int>(std::min<uint64_t>(value, INT_MAX));
}

} // namespace

EncoderStream::EncoderStream(const char* extension, const char* openMode, const char* libraryName)
    : OutputStream(extension, openMode), _library(LoadBackEndLibrary(libraryName))
{
    // A missing or incomplete library does not fail the creation; it shows in the
    // availability tests and leaves the stream without a back-end.
    if (_library) BindBackEnd();
}

EncoderStream::~EncoderStream()
{
    // A stream destroyed without Close still releases its back-end stream before the library.
    CloseBackEnd();
}

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

int EncoderStream::StartBackEnd(void* config)
{
    if (!_library) return 0;
    if (_backEndStream != 0) return 1; // started once; a second Init must not leak a stream

    uint32_t samples = 0;
    uint32_t bufferSize = 0;
    BEStream stream = 0;
    const uint32_t result = _entry.initStream(config, &samples, &bufferSize, &stream);
    // The sizes mean something only for a started stream, and a chunk of no bytes would never
    // fill: such a start is undone rather than used.
    const uint64_t reportedBytes = uint64_t{samples} * 2;
    const uint64_t chunkSize = ChunkBytes(samples);
    bool usable = result == BE_ERR_SUCCESSFUL && stream != 0 && reportedBytes > 0 &&
                  reportedBytes <= kLargestBuffer && chunkSize > 0 && chunkSize <= reportedBytes &&
                  bufferSize > 0 && bufferSize <= kLargestBuffer;
    if (usable) {
        try {
            _stagingBuffer = std::make_unique<uint8_t[]>(chunkSize);
            _outputBuffer = std::make_unique<uint8_t[]>(bufferSize);
        } catch (const std::bad_alloc&) {
            _stagingBuffer.reset();
            _outputBuffer.reset();
            usable = false;
        }
    }
    if (!usable) {
        if (stream != 0) _entry.closeStream(stream);
        return 0;
    }
    _backEndStream = stream;
    _chunkSize = static_cast<uint32_t>(chunkSize);
    _outputBufferSize = bufferSize;
    _staged = 0;
    _flushed = false;
    return 1;
}

void EncoderStream::CloseBackEnd()
{
    if (_backEndStream != 0 && _entry.closeStream) _entry.closeStream(_backEndStream);
    _backEndStream = 0;
}

void EncoderStream::WriteEncoded(uint32_t length)
{
    // A back-end reporting more than the buffer holds has overrun it; at least nothing past
    // the buffer is read.
    const size_t bytes = std::min(length, _outputBufferSize);
    if (bytes > 0 && IsWriteEnabled()) WriteOutput(_outputBuffer.get(), bytes);
}

uint32_t EncoderStream::EncodeChunk(const uint8_t* pcm, uint32_t bytes)
{
    uint32_t length = 0;
    // The PCM may lie at any address: back-ends read the samples as bytes.
    _entry.encodeChunk(_backEndStream, bytes / 2, reinterpret_cast<const int16_t*>(pcm),
                       _outputBuffer.get(), &length);
    WriteEncoded(length);
    return length;
}

int EncoderStream::Encode(const unsigned char* pcm, int count)
{
    if (_backEndStream == 0 || _flushed || !pcm || count <= 0) return 0;
    uint64_t rest = static_cast<uint64_t>(count);
    uint64_t produced = 0;

    if (_staged > 0) {
        if (_staged + rest < _chunkSize) {
            std::memcpy(_stagingBuffer.get() + _staged, pcm, rest);
            _staged += static_cast<uint32_t>(rest);
            return 0;
        }
        const uint32_t fill = _chunkSize - _staged;
        std::memcpy(_stagingBuffer.get() + _staged, pcm, fill);
        pcm += fill;
        rest -= fill;
        produced = EncodeChunk(_stagingBuffer.get(), _chunkSize);
        _staged = 0;
    }
    // Whole chunks go to the back-end straight from the caller's memory.
    for (; rest >= _chunkSize; rest -= _chunkSize, pcm += _chunkSize)
        produced += EncodeChunk(pcm, _chunkSize);
    std::memcpy(_stagingBuffer.get(), pcm, rest);
    _staged = static_cast<uint32_t>(rest);
    return ClampToInt(produced);
}

int EncoderStream::Flush()
{
    if (_backEndStream == 0 || _flushed) return 0;
    uint64_t produced = 0;
    if (_staged > 0) produced = EncodeChunk(_stagingBuffer.get(), _staged); // a short last chunk
    _staged = 0;
    uint32_t length = 0;
    _entry.deinitStream(_backEndStream, _outputBuffer.get(), &length);
    WriteEncoded(length);
    _flushed = true;
    return ClampToInt(produced + length);
}

int EncoderStream::Close()
{
    if (_tag.level > 0) WriteId3Tag();
    CloseOutputFile();
    CloseBackEnd();
    return HasWriteFailed() ? 0 : 1;
}

int EncoderStream::WriteId3Tag()
{
    if (!IsOpen() || !IsWriteEnabled() || !HasId3Texts(_tag)) return 0;
    const Id3TagBlock tag = MakeId3Tag(_tag);
    // A short write is remembered by the stream and makes Close report the file as failed.
    return WriteOutput(tag.data(), tag.size()) == tag.size() ? 1 : 0;
}

} // namespace veltraenc
