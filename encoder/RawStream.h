// Encoder type 0: the PCM bytes written to a ".dat" file as they come.
#pragma once

#include "OutputStream.h"

namespace veltraenc
{

class RawStream : public OutputStream
{
public:
    RawStream();
    int Encode(const unsigned char* pcm, int count) override;
};

} // namespace veltraenc
