#include "LameStream.h"

#include "Id3Tag.h"

#include "include/CdAudio.h"
#include "include/Veltraenc.h"
#include "platform/DebugTrace.h"

namespace veltraenc
{

LameStream::LameStream(const char* libraryName) : EncoderStream("MP3", "w+b", libraryName) {}

int LameStream::Init()
{
    if (!HasBackEnd()) return 0; // no library: nothing is started and no buffer is made
    BEConfigLame config = MakeConfig();
    return StartBackEnd(&config);
}

int LameStream::Close()
{
    // Both steps below reopen the file by its name: only a file this stream has written may be
    // touched (not one the user chose to keep), and only with this stream's own VBR header.
    const bool ownFile = IsOpen();
    const bool finished = IsFlushed();
    if (!IsWriteEnabled()) {
        // Nothing is written, but a file opened before writing was switched off is still
        // closed rather than dropped.
        CloseOutputFile();
        CloseBackEnd();
        return HasWriteFailed() ? 0 : 1;
    }
    CloseOutputFile();

    char path[kPathBufferSize];
    if (ownFile && ComposeFullPath(path, sizeof path)) {
        if (EntryPoints().writeVbrHeader && _lame.writeVbrHeader && finished) {
            plat::DebugTrace("Writing VBR header to \"%s\"", path);
            EntryPoints().writeVbrHeader(path);
        }
        if (Tag().level > 0 && HasId3Texts(Tag())) {
            // The tag goes after the VBR header has been written; a file that cannot be
            // opened again loses its tag, which Close reports like any failed write.
            if (OpenOutputPath(path, "ab"))
                WriteId3Tag();
            else
                NoteWriteFailure();
        }
    }
    CloseOutputFile();
    // The back-end stream is released here too; without it every track would leak an encoder.
    CloseBackEnd();
    return HasWriteFailed() ? 0 : 1;
}

int LameStream::SetIntOption(int option, int value)
{
    switch (option) {
    case MP3_MAX_BITRATE:
        _lame.maxBitrate = static_cast<uint16_t>(value);
        return 1;
    case LAME_PRESET:
        _lame.preset = value;
        return 1;
    case LAME_MPEG_VERSION:
        _lame.mpegVersion = value;
        return 1;
    case LAME_VBR:
        _lame.vbr = value;
        return 1;
    case LAME_VBR_QUALITY:
        _lame.vbrQuality = value;
        return 1;
    case LAME_MODE: // the same field as MP3_MODE
        return EncoderStream::SetIntOption(MP3_MODE, value);
    default:
        return EncoderStream::SetIntOption(option, value);
    }
}

BEConfigLame LameStream::MakeConfig() const
{
    BEConfigLame config{};
    config.kind = BE_CONFIG_LAME;
    config.version = BE_LAME_RECORD_VERSION;
    config.size = BE_CONFIG_SIZE;
    config.inputSampleRate = CD_SAMPLE_RATE;
    config.outputSampleRate = 0;
    config.mode = Settings().mode;
    config.bitrate = Settings().bitrate;
    config.maxBitrate = _lame.maxBitrate;
    config.preset = _lame.preset;
    config.mpegVersion = static_cast<uint32_t>(_lame.mpegVersion);
    config.privateFlag = Settings().privateFlag;
    config.crc = Settings().crc;
    config.copyright = Settings().copyright;
    config.original = Settings().original;
    config.writeVbrHeader = _lame.writeVbrHeader;
    config.vbr = _lame.vbr;
    config.vbrQuality = _lame.vbrQuality;
    return config;
}

} // namespace veltraenc
