#include "LookupSettingsFile.h"

#include "Settings.h"

#include <cstdlib>

LookupFileSettings ReadLookupSettings()
{
    LookupFileSettings s;
    Settings file;
    file.Open(kSettingsFileName);
    char buffer[1024];
    auto read = [&](const char* key, std::string& into) {
        if (file.Read(kSectionLookup, key, into.c_str(), buffer, sizeof buffer)) into = buffer;
    };
    read(kKeyNameFormat, s.nameFormat);
    read(kKeyMusicBrainzUrl, s.musicBrainzUrl);
    read(kKeyGnudbUrl, s.gnudbUrl);
    read(kKeyCoverArtUrl, s.coverArtUrl);
    read(kKeyAccurateRipUrl, s.accurateRipUrl);
    std::string timeout, onRead;
    read(kKeyTimeoutSeconds, timeout);
    read(kKeyLookupOnRead, onRead);
    char* end = nullptr;
    const long seconds = std::strtol(timeout.c_str(), &end, 10);
    if (!timeout.empty() && *end == '\0' && seconds >= 1 && seconds <= 300)
        s.timeoutSeconds = static_cast<int>(seconds);
    s.lookupOnRead = onRead == "1";
    return s;
}

bool SaveLookupOnRead(bool on)
{
    Settings file;
    file.Open(kSettingsFileName);
    return file.Write(kSectionLookup, kKeyLookupOnRead, on ? "1" : "0");
}
