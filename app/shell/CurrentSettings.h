// The process-wide current settings (output folder and encoder type), loaded at start-up and
// changed by the Options sheet.
#pragma once

#include "include/Veltraenc.h"

#include <string>

struct CurrentSettings {
    std::string outputFolder = ".";
    // XT_ENCODER_WAV, XT_ENCODER_LAME2 for MP3 at start-up, XT_ENCODER_BLADE for MP3 after an
    // Options save; 0 until loaded.
    int encoderType = 0;
};

extern CurrentSettings g_settings;

// Start-up: reads the drive list and the settings file (writing Encode=MP3 when it is empty),
// sets the current settings and opens the first drive that answers.
void LoadSettings();

// The Options sheet's OK: writes both keys and makes them current (MP3 gives encoder type 4).
void SaveSettings(const std::string& folder, const std::string& encode);

// True when the value means MP3 (it contains "MP3", case-sensitive).
bool MeansMp3(const std::string& encode);
