// The settings file VeltraCDRipper.ini in the program's folder, one key per call.
#pragma once

#include "include/CdAudio.h"

#include <cstdint>
#include <string>

constexpr const char kSettingsFileName[] = "VeltraCDRipper.ini";
constexpr const char kSectionOutput[] = "OutPut";
constexpr const char kKeyPath[] = "Path";
constexpr const char kKeyEncode[] = "Encode";
// The output folder holds at most this many characters.
constexpr size_t kMaxOutputFolder = 127;
// The drive: its read offset in samples, and the AccurateRip drive-offset table to look it up.
constexpr const char kSectionDrive[] = "Drive";
constexpr const char kKeyReadOffset[] = "ReadOffset";
constexpr const char kKeyOffsetTable[] = "OffsetTable";
constexpr const char kKeySecure[] = "Secure";
constexpr const char kKeyVerify[] = "Verify";
// No drive is off by more than ten frames.
constexpr int kMaxReadOffset = 10 * CD_SAMPLES_PER_FRAME;

// Where the settings file lives: the program's folder when it is writable (a build tree, a
// portable copy), else $XDG_CONFIG_HOME/veltracdrip (an installed program).
std::string SettingsFolder();
// The output folder when none is set: the program's folder when it is writable, else the
// user's music folder.
std::string DefaultOutputFolder();

class Settings
{
public:
    // path = the settings folder + separator + file name.
    void Open(const char* fileName);
    // Always succeeds; a missing file or key gives the default.
    bool Read(const char* section, const char* key, const char* defaultValue, char* buffer,
              uint32_t size);
    // Whether the file could be written.
    bool Write(const char* section, const char* key, const char* value);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};
