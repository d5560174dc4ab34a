// The process-wide current settings (output folder and encoder type), loaded at start-up and
// changed by the Options sheet.
#pragma once

#include <string>

struct CurrentSettings {
    std::string outputFolder = ".";
    int encoderType = 0; // 1 WAV, 3 MP3 (LAME record), 4 MP3 after an Options save,
                         // 5 Ogg Vorbis, 6 FLAC, 7 Opus
};

extern CurrentSettings g_settings;

constexpr int kEncoderTypeWav = 1;
constexpr int kEncoderTypeLame = 3;
constexpr int kEncoderTypeBlade = 4;
constexpr int kEncoderTypeVorbis = 5;
constexpr int kEncoderTypeFlac = 6;
constexpr int kEncoderTypeOpus = 7;

// Start-up: reads the drive list and the settings file (writing Encode=MP3 when it is empty),
// sets the current settings and opens the first drive that answers.
void LoadSettings();

// The Options sheet's OK: writes both keys and makes them current (MP3 gives encoder type 4).
void SaveSettings(const std::string& folder, const std::string& encode);

// True when the value means MP3 (it contains "MP3", case-sensitive).
bool MeansMp3(const std::string& encode);

// The encoder type of an Encode value: mp3Type when it means MP3, then exactly "FLAC", "OGG"
// or "OPUS" their types; anything else is WAV.
int EncoderTypeOf(const std::string& encode, int mp3Type);
