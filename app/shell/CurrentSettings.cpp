#include "CurrentSettings.h"

#include "Settings.h"

#include "app/cd/Drive.h"
#include "platform/DebugTrace.h"
#include "platform/ModulePath.h"

#include <cctype>
#include <cstring>

bool MeansMp3(const std::string& encode)
{
    return encode.find("MP3") != std::string::npos;
}

int EncoderTypeOf(const std::string& encode, int mp3Type)
{
    if (MeansMp3(encode)) return mp3Type;
    if (encode == "FLAC") return XT_ENCODER_FLAC;
    if (encode == "OGG") return XT_ENCODER_VORB;
    if (encode == "OPUS") return XT_ENCODER_OPUS;
    return XT_ENCODER_WAV;
}

void LoadSettings(CurrentSettings& current, DriveState& drive)
{
    ReadDriveList(drive);

    Settings settings;
    settings.Open(kSettingsFileName);
    // Read with room to spare, so that a Path too long for the output folder is noticed
    // instead of being cut into another, wrong folder.
    char path[1024] = {};
    char encode[128] = {};
    settings.Read(kSectionOutput, kKeyPath, "", path, sizeof path);
    settings.Read(kSectionOutput, kKeyEncode, "", encode, sizeof encode);

    std::string folder = path;
    current.pathTooLong = folder.size() > kMaxOutputFolder;
    if (current.pathTooLong) {
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
    current.encoderType = EncoderTypeOf(encode, XT_ENCODER_LAME2);
    current.outputFolder = folder;

    char offset[64] = {};
    char table[1024] = {};
    settings.Read(kSectionDrive, kKeyReadOffset, "", offset, sizeof offset);
    settings.Read(kSectionDrive, kKeyOffsetTable, "", table, sizeof table);
    current.readOffset = ParseReadOffset(offset);
    if (offset[0] && !current.readOffset)
        plat::DebugTrace("ReadOffset in the settings file is not a read offset: %s", offset);
    current.offsetTable = table;
    char secure[16] = {};
    char verify[16] = {};
    settings.Read(kSectionDrive, kKeySecure, "", secure, sizeof secure);
    settings.Read(kSectionDrive, kKeyVerify, "", verify, sizeof verify);
    current.secure = ParseSwitch(secure);
    current.verify = ParseSwitch(verify);

    OpenDrive(drive);
}

std::optional<int> ParseReadOffset(const std::string& text)
{
    size_t from = text.find_first_not_of(" \t"), to = text.find_last_not_of(" \t");
    if (from == std::string::npos) return std::nullopt;
    const std::string t = text.substr(from, to - from + 1);
    size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
    if (i == t.size() || t.size() - i > 5) return std::nullopt;
    int value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return std::nullopt;
        value = value * 10 + (t[i] - '0');
    }
    if (t[0] == '-') value = -value;
    if (value > kMaxReadOffset || value < -kMaxReadOffset) return std::nullopt;
    return value;
}

void SaveReadOffset(CurrentSettings& current, int offset)
{
    Settings settings;
    settings.Open(kSettingsFileName);
    settings.Write(kSectionDrive, kKeyReadOffset, std::to_string(offset).c_str());
    current.readOffset = offset;
}

void SaveOffsetTable(CurrentSettings& current, const std::string& path)
{
    Settings settings;
    settings.Open(kSettingsFileName);
    settings.Write(kSectionDrive, kKeyOffsetTable, path.c_str());
    current.offsetTable = path;
}

bool ParseSwitch(const std::string& text)
{
    std::string value = text;
    for (char& c : value)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return value == "1" || value == "true" || value == "yes";
}

void SaveSecure(CurrentSettings& current, bool secure)
{
    Settings settings;
    settings.Open(kSettingsFileName);
    settings.Write(kSectionDrive, kKeySecure, secure ? "1" : "0");
    current.secure = secure;
}

void SaveVerify(CurrentSettings& current, bool verify)
{
    Settings settings;
    settings.Open(kSettingsFileName);
    settings.Write(kSectionDrive, kKeyVerify, verify ? "1" : "0");
    current.verify = verify;
}

void SaveSettings(CurrentSettings& current, const std::string& folder, const std::string& encode)
{
    Settings settings;
    settings.Open(kSettingsFileName);
    settings.Write(kSectionOutput, kKeyPath, folder.c_str());
    settings.Write(kSectionOutput, kKeyEncode, encode.c_str());
    current.outputFolder = folder;
    current.encoderType = EncoderTypeOf(encode, XT_ENCODER_BLADE);
}
