#include "FlacStream.h"

#include "include/CdAudio.h"
#include "CommentTexts.h"

#include "include/Veltraenc.h"
#include "platform/DebugTrace.h"

namespace veltraenc
{

FlacStream::FlacStream() : FlacStream(kFlacLibrary) {}

FlacStream::FlacStream(const char* libraryName) : EncoderStream("flac", "w+b", libraryName) {}

int FlacStream::Init()
{
    if (!HasBackEnd()) return 0;
    if (IsStarted()) return 1;
    const CommentTexts texts(Tag());
    BEConfigFlac config =
        MakeConfig(texts.title.get(), texts.album.get(), texts.artist.get(), texts.year.get());
    return StartBackEnd(&config);
}

BEConfigFlac FlacStream::MakeConfig(const char* title, const char* album, const char* artist,
                                    const char* year) const
{
    BEConfigFlac config{};
    config.kind = BE_CONFIG_FLAC;
    config.version = BE_FLAC_RECORD_VERSION;
    config.channels = CD_CHANNELS;
    config.sampleRate = CD_SAMPLE_RATE;
    config.bitsPerSample = CD_BITS_PER_SAMPLE;
    config.compressionLevel = _level;
    config.verify = 1;
    config.trackNumber = Tag().track;
    config.title = title;
    config.album = album;
    config.artist = artist;
    config.year = year;
    return config;
}

int FlacStream::SetIntOption(int option, int value)
{
    switch (option) {
    case FLAC_LEVEL:
        if (value < BE_FLAC_LEVEL_MIN || value > BE_FLAC_LEVEL_MAX) return 0;
        _level = value;
        return 1;
    case ID3_LEVEL:
        return 1; // accepted, but the level stays 0: the tags are Vorbis comments
    default:
        return EncoderStream::SetIntOption(option, value);
    }
}

int FlacStream::Flush()
{
    const int produced = EncoderStream::Flush();
    if (IsStarted()) _ended = true;
    return produced;
}

int FlacStream::Close()
{
    // Only a file this stream wrote to its end gets its head completed.
    const bool complete = IsOpen() && _ended && IsStarted();
    CloseOutputFile();
    if (complete && IsWriteEnabled() && !HasWriteFailed()) {
        char path[kPathBufferSize];
        const BeWriteVBRHeaderFn writeHead = EntryPoints().writeVbrHeader;
        if (!writeHead || !ComposeFullPath(path, sizeof path)) {
            NoteWriteFailure();
        } else {
            plat::DebugTrace("Writing FLAC STREAMINFO to \"%s\"", path);
            if (writeHead(path) != BE_ERR_SUCCESSFUL) NoteWriteFailure();
        }
    }
    CloseBackEnd();
    return HasWriteFailed() ? 0 : 1;
}

} // namespace veltraenc
