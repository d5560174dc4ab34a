#include "Mp3Stream.h"

#include "CdAudio.h"

namespace veltraenc
{

Mp3Stream::Mp3Stream(const char* libraryName) : EncoderStream("MP3", "w+b", libraryName) {}

int Mp3Stream::Init()
{
    if (!HasBackEnd()) return 0; // no library: nothing is started and no buffer is made
    BEConfigMp3 config = MakeConfig();
    return StartBackEnd(&config);
}

BEConfigMp3 Mp3Stream::MakeConfig() const
{
    BEConfigMp3 config{};
    config.kind = BE_CONFIG_MP3;
    config.sampleRate = kCdSampleRate;
    config.mode = static_cast<uint8_t>(_settings.mode);
    config.bitrate = _settings.bitrate;
    config.privateFlag = _settings.privateFlag;
    config.crc = _settings.crc;
    config.copyright = _settings.copyright;
    config.original = _settings.original;
    return config;
}

} // namespace veltraenc
