// Encoder type 3: MP3 through "lame_enc.dll" configured with the LAME record (variable
// bitrate, presets, a VBR header written after the stream ends).
#pragma once

#include "EncoderStream.h"

#include "include/Veltraenc.h"

namespace veltraenc
{

struct LameSettings {
    int32_t writeVbrHeader = 1; // no option changes it
    uint16_t maxBitrate = 0;    // kbit/s
    int32_t preset = XT_LAME_PRESET_HIGH;
    int32_t mpegVersion = XT_LAME_MPEG_VERSION_1;
    int32_t vbr = XT_ON;
    int32_t vbrQuality = 5;
};

class LameStream : public EncoderStream
{
public:
    // The library is "lame_enc.dll"; tests name a back-end of their own.
    explicit LameStream(const char* libraryName = kLameLibrary);
    int Init() override;
    int SetIntOption(int option, int value) override;
    // Closes the file, lets the back-end write its VBR header into it, then appends the tag.
    int Close() override;

    const LameSettings& Lame() const { return _lame; }
    // The LAME configuration record built from the stream's settings.
    BEConfigLame MakeConfig() const;

private:
    LameSettings _lame;
};

} // namespace veltraenc
