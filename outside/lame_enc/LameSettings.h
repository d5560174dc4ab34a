// The libmp3lame settings of a configuration record: reading and checking a plain or LAME
// record, and starting an encoder with the result.
#pragma once

#include "BladeEnc.h"
#include "CdAudio.h"

#include <cstdint>
#include <lame/lame.h>

namespace lameenc
{

struct LameSettings {
    int inputRate = CD_SAMPLE_RATE;
    int outputRate = CD_SAMPLE_RATE;
    int mode = BE_MP3_MODE_STEREO;
    bool vbr = false;
    int vbrQuality = 5;
    int bitrate = 128;  // constant, or the lowest VBR bitrate (kbit/s)
    int maxBitrate = 0; // highest VBR bitrate, 0 for the engine's
    int quality = -1;   // libmp3lame's algorithm quality, -1 for its default
    int emphasis = 0;
    bool crc = false;
    bool copyright = false;
    bool original = false;
    bool privateBit = false;
    bool writeVbrHeader = false;
};

// BE_ERR_SUCCESSFUL with the settings of a valid record; BE_ERR_INVALID_FORMAT for an unknown
// kind or LAME record version or size, BE_ERR_INVALID_PARAMETERS for values the engine refuses.
uint32_t ReadRecord(const void* config, LameSettings& settings);

// A libmp3lame encoder set up with the settings, or null when libmp3lame refuses them.
lame_t StartEncoder(const LameSettings& settings);

// MPEG version of a sample rate: 1, 2 (also for 2.5), or 0 when it is no MPEG rate.
int MpegFamily(int sampleRate);
bool IsBitrateOf(int family, int kbps);

} // namespace lameenc
