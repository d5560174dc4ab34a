// Whether an encoder type or an output format can be used on this machine: the outside
// libraries are loaded, asked and freed again.
#pragma once

#include "include/Veltraenc.h"

namespace veltraenc
{

// "lame_enc.dll" from engine 3.54 and interface 1.4 on takes the LAME record (type 3);
// older ones the plain record (type 2).
constexpr int kLameEngineMinimum = 3 * 256 + 54;
constexpr int kLameInterfaceMinimum = 1 * 256 + 4;

int EncoderAvailable(EncoderType type);
int FormatAvailable(int format);

} // namespace veltraenc
