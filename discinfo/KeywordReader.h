// Reads the keyword lines of a record (DISCID=, DTITLE=, DYEAR=, DGENRE=, TTITLE, EXTD=, EXTT,
// PLAYORDER=) and holds each to the order the format prescribes.
#pragma once

#include <string_view>

class CddbEntry;

class KeywordReader
{
public:
    // False when the line is out of place, unknown or malformed.
    static bool read(CddbEntry& entry, std::string_view line);

private:
    static bool readDiscIds(CddbEntry& entry, std::string_view value);
    static bool readTrackTitle(CddbEntry& entry, int32_t track, std::string_view value);
    static bool readTrackExtended(CddbEntry& entry, int32_t track, std::string_view value);
};
