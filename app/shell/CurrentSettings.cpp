#include "CurrentSettings.h"

#include "Settings.h"

#include "app/cd/Drive.h"
#include "platform/DebugTrace.h"
#include "platform/ModulePath.h"

#include <cstring>

CurrentSettings g_settings;

bool MeansMp3(const std::string& encode)
{
    return encode.find("MP3") != std::string::npos;
}

void LoadSettings()
{
    ReadDriveList();

    Settings settings;
    settings.Open(kSettingsFileName);
    // Read with room to spare, so that a Path too long for the output folder is noticed
    // instead of being cut into another, wrong folder.
    char path[1024] = {};
    char encode[128] = {};
    settings.Read(kSectionOutput, kKeyPath, "", path, sizeof path);
    settings.Read(kSectionOutput, kKeyEncode, "", encode, sizeof encode);

    std::string folder = path;
    if (folder.size() > kMaxOutputFolder) {
        plat::DebugTrace(
            "Path in the settings file is longer than %d characters, using the default",
            static_cast<int>(kMaxOutputFolder));
        folder.clear();
    }
    if (folder.empty()) folder = DefaultOutputFolder();
    if (encode[0] == '\0') {
        settings.Write(kSectionOutput, kKeyEncode, "MP3");
        std::strcpy(encode, "MP3");
    }
    g_settings.encoderType = MeansMp3(encode) ? XT_ENCODER_LAME2 : XT_ENCODER_WAV;
    g_settings.outputFolder = folder;

    OpenDrive();
}

void SaveSettings(const std::string& folder, const std::string& encode)
{
    Settings settings;
    settings.Open(kSettingsFileName);
    settings.Write(kSectionOutput, kKeyPath, folder.c_str());
    settings.Write(kSectionOutput, kKeyEncode, encode.c_str());
    g_settings.outputFolder = folder;
    g_settings.encoderType = MeansMp3(encode) ? XT_ENCODER_BLADE : XT_ENCODER_WAV;
}
