// The [Lookup] section of the settings file: where discs are looked up, how files are named,
// whether the window program looks a disc up as soon as it reads it, and where AccurateRip is.
#pragma once

#include <string>

constexpr const char kSectionLookup[] = "Lookup";
constexpr const char kKeyNameFormat[] = "NameFormat";
constexpr const char kKeyMusicBrainzUrl[] = "MusicBrainzUrl";
constexpr const char kKeyGnudbUrl[] = "GnudbUrl";
constexpr const char kKeyCoverArtUrl[] = "CoverArtUrl";
constexpr const char kKeyTimeoutSeconds[] = "TimeoutSeconds";
constexpr const char kKeyLookupOnRead[] = "LookupOnRead";
constexpr const char kKeyAccurateRipUrl[] = "AccurateRipUrl";

struct LookupFileSettings {
    std::string nameFormat; // empty: the default template once metadata is known
    std::string musicBrainzUrl = "https://musicbrainz.org";
    std::string gnudbUrl = "https://gnudb.gnudb.org/~cddb/cddb.cgi";
    std::string coverArtUrl = "https://coverartarchive.org";
    std::string accurateRipUrl = "http://www.accuraterip.com/accuraterip";
    int timeoutSeconds = 10;
    bool lookupOnRead = false;
};

// Missing keys keep their defaults; a time-out that is not a number from 1 to 300 gives 10.
LookupFileSettings ReadLookupSettings();

// The Options sheet's check box: writes LookupOnRead as "1" or "0"; whether the file took it.
bool SaveLookupOnRead(bool on);
