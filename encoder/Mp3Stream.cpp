#include "Mp3Stream.h"

#include "include/CdAudio.h"

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
    config.sampleRate = CD_SAMPLE_RATE;
    config.mode = static_cast<uint8_t>(Settings().mode);
    config.bitrate = Settings().bitrate;
    config.privateFlag = Settings().privateFlag;
    config.crc = Settings().crc;
    config.copyright = Settings().copyright;
    config.original = Settings().original;
    return config;
}

} // namespace veltraenc
