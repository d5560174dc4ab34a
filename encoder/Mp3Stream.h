// Encoder types 2 ("lame_enc.dll") and 4 ("bladeenc.dll"): MP3 through a back-end configured
// with the plain MP3 record.
#pragma once

#include "EncoderStream.h"

namespace veltraenc
{

class Mp3Stream : public EncoderStream
{
public:
    explicit Mp3Stream(const char* libraryName);
    int Init() override;

    // The plain MP3 configuration record built from the stream's settings.
    BEConfigMp3 MakeConfig() const;
};

} // namespace veltraenc
