#include "StreamOptions.h"

#include "Veltraenc.h"

#include <cstdio>

void ApplyStreamOptions(int h, const TrackRecord& track, const StreamTarget& target)
{
    xtSetAsciiOption(h, ID3_TITLE, track.name);
    xtSetAsciiOption(h, ID3_ALBUM, "");
    xtSetAsciiOption(h, ID3_ARTIST, "");
    xtSetAsciiOption(h, ID3_YEAR, "");
    xtSetIntOption(h, ID3_LEVEL, 0);
    xtSetIntOption(h, MP3_BITRATE, 192);
    xtSetIntOption(h, MP3_MAX_BITRATE, 320);
    xtSetIntOption(h, VORBIS_PARAM_5, 128);
    xtSetIntOption(h, MP3_MODE, 0);
    xtSetIntOption(h, MP3_ORIGINAL, 0);
    xtSetIntOption(h, MP3_CRC, 0);
    xtSetIntOption(h, MP3_COPYRIGHT, 0);
    xtSetIntOption(h, MP3_PRIVATE, 0);
    xtSetIntOption(h, LAME_PRESET, 2);
    xtSetIntOption(h, LAME_MPEG_VERSION, 1);
    xtSetIntOption(h, LAME_VBR, 1);
    xtSetIntOption(h, LAME_VBR_QUALITY, 5);
    xtSetIntOption(h, ID3_TRACK, track.rowNumber);
    // The rip command sets the rip flag; a track without it gets no name of its own.
    char fileName[261] = {};
    if (track.ripFlag)
        std::snprintf(fileName, sizeof fileName, "%.260s",
                      target.fileName.empty() ? track.name : target.fileName.c_str());
    xtSetAsciiOption(h, OUTPUT_DIR, target.outputFolder.c_str());
    xtSetAsciiOption(h, FILE_NAME, fileName);
    xtSetAsciiOption(h, FILE_DIR, target.fileDir.c_str());
    xtSetIntOption(h, LAME_MODE, 0);
    if (target.noWrite) xtSetIntOption(h, NO_WRITE, 1);
}
