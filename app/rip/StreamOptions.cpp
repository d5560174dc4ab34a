#include "StreamOptions.h"

#include "Veltraenc.h"

#include <cstdio>

namespace
{

// kbit/s: variable bitrate between these two, quality 5; Ogg Vorbis at its nominal 128.
constexpr int kRipBitrate = 192;
constexpr int kRipMaxBitrate = 320;
constexpr int kRipVbrQuality = 5;
constexpr int kRipVorbisBitrate = 128;

} // namespace

void ApplyStreamOptions(int h, const TrackRecord& track, const StreamTarget& target)
{
    xtSetAsciiOption(h, ID3_TITLE, track.name);
    xtSetAsciiOption(h, ID3_ALBUM, "");
    xtSetAsciiOption(h, ID3_ARTIST, "");
    xtSetAsciiOption(h, ID3_YEAR, "");
    xtSetIntOption(h, ID3_LEVEL, XT_ID3_LEVEL_NONE);
    xtSetIntOption(h, MP3_BITRATE, kRipBitrate);
    xtSetIntOption(h, MP3_MAX_BITRATE, kRipMaxBitrate);
    xtSetIntOption(h, VORBIS_PARAM_5, kRipVorbisBitrate);
    xtSetIntOption(h, MP3_MODE, XT_MP3_MODE_STEREO);
    xtSetIntOption(h, MP3_ORIGINAL, XT_OFF);
    xtSetIntOption(h, MP3_CRC, XT_OFF);
    xtSetIntOption(h, MP3_COPYRIGHT, XT_OFF);
    xtSetIntOption(h, MP3_PRIVATE, XT_OFF);
    xtSetIntOption(h, LAME_PRESET, XT_LAME_PRESET_HIGH);
    xtSetIntOption(h, LAME_MPEG_VERSION, XT_LAME_MPEG_VERSION_1);
    xtSetIntOption(h, LAME_VBR, XT_ON);
    xtSetIntOption(h, LAME_VBR_QUALITY, kRipVbrQuality);
    xtSetIntOption(h, ID3_TRACK, track.rowNumber);
    // The rip command sets the rip flag; a track without it gets no name of its own.
    char fileName[261] = {};
    if (track.ripFlag)
        std::snprintf(fileName, sizeof fileName, "%.260s",
                      target.fileName.empty() ? track.name : target.fileName.c_str());
    xtSetAsciiOption(h, OUTPUT_DIR, target.outputFolder.c_str());
    xtSetAsciiOption(h, FILE_NAME, fileName);
    xtSetAsciiOption(h, FILE_DIR, target.fileDir.c_str());
    xtSetIntOption(h, LAME_MODE, XT_MP3_MODE_STEREO);
    if (target.noWrite) xtSetIntOption(h, NO_WRITE, XT_ON);
}
