// The current settings (output folder, encoder type, the drive's read offset), loaded at
// start-up and changed by the Options sheet; owned by the main window or the console ripper's run.
#pragma once

#include "include/Veltraenc.h"

#include <optional>
#include <string>

struct CurrentSettings {
    std::string outputFolder = ".";
    // XT_ENCODER_WAV, XT_ENCODER_LAME2 for MP3 at start-up, XT_ENCODER_BLADE for MP3 after an
    // Options save, XT_ENCODER_VORB, XT_ENCODER_FLAC, XT_ENCODER_OPUS; 0 until loaded.
    int encoderType = 0;
    // Start-up found a Path longer than the store holds and uses the default folder instead.
    bool pathTooLong = false;
    std::optional<int> readOffset; // [Drive] ReadOffset, when it is set
    std::string offsetTable;       // [Drive] OffsetTable, the drive-offset table's path
    bool secure = false;           // [Drive] Secure: read until two reads agree
    bool verify = false;           // [Drive] Verify: burst, AccurateRip, secure re-reads
};

struct DriveState;

// Start-up: reads the drive list and the settings file (writing Encode=MP3 when it is empty),
// sets the current settings and opens the first drive that answers.
void LoadSettings(CurrentSettings& current, DriveState& drive);

// The Options sheet's OK: writes both keys and makes them current (MP3 gives encoder type 4).
void SaveSettings(CurrentSettings& current, const std::string& folder, const std::string& encode);

// [Drive]: the read offset and the drive-offset table, written only when given and made
// current.
void SaveReadOffset(CurrentSettings& current, int offset);
void SaveOffsetTable(CurrentSettings& current, const std::string& path);
// [Drive] Secure, written as 1 or 0 and made current.
void SaveSecure(CurrentSettings& current, bool secure);
// [Drive] Verify, written as 1 or 0 and made current.
void SaveVerify(CurrentSettings& current, bool verify);
// A switch's value: "1", "true" or "yes" in any case are on, anything else off.
bool ParseSwitch(const std::string& text);
// A ReadOffset value: a whole number of samples within kMaxReadOffset either way.
std::optional<int> ParseReadOffset(const std::string& text);

// True when the value means MP3 (it contains "MP3", case-sensitive).
bool MeansMp3(const std::string& encode);

// The encoder type of an Encode value: mp3Type when it means MP3, then exactly "FLAC", "OGG"
// or "OPUS" their types; anything else is WAV.
int EncoderTypeOf(const std::string& encode, int mp3Type);
