// Reads the "#" comment lines of a record's header: the track frame offsets, the disc length
// and the revision, each stage after the one before.
#pragma once

#include <string_view>

class CddbEntry;

class HeaderReader
{
public:
    // False when the line breaks a rule (a "#" line after the first keyword line, or a
    // "Disc length:" / "Revision:" phrase followed by something that is not a number).
    static bool read(CddbEntry& entry, std::string_view line);
};
