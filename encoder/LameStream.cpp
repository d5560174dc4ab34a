#include "LameStream.h"

#include "CdAudio.h"

#include "include/Veltraenc.h"

namespace veltraenc
{

LameStream::LameStream() : EncoderStream("MP3", "w+b", kLameLibrary) {}

int LameStream::Init()
{
    // As Mp3Stream::Init: the back-end start comes with the MP3 work.
    return 0;
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
        _settings.mode = value;
        return 1;
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
    config.inputSampleRate = kCdSampleRate;
    config.outputSampleRate = 0;
    config.mode = _settings.mode;
    config.bitrate = _settings.bitrate;
    config.maxBitrate = _lame.maxBitrate;
    config.preset = _lame.preset;
    config.mpegVersion = static_cast<uint32_t>(_lame.mpegVersion);
    config.privateFlag = _settings.privateFlag;
    config.crc = _settings.crc;
    config.copyright = _settings.copyright;
    config.original = _settings.original;
    config.writeVbrHeader = _lame.writeVbrHeader;
    config.vbr = _lame.vbr;
    config.vbrQuality = _lame.vbrQuality;
    return config;
}

} // namespace veltraenc
