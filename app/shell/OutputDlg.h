// The Options sheet's one page, "Output": the output folder (typed or browsed) and the output
// format, read from the settings file when the page starts.
#pragma once

#include "Settings.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <string>

class QLineEdit;
class QPushButton;
class QRadioButton;

constexpr int kIdFolderEdit = 1017;
constexpr int kIdMp3 = 1019;
constexpr int kIdWav = 1020;
constexpr int kIdBrowser = 1030;
constexpr int kIdFlac = 1021;
constexpr int kIdOgg = 1022;
constexpr int kIdOpus = 1023;

// The output formats of the Encode group, in the order of their buttons.
enum class OutputFormat { Mp3, Wav, Flac, Ogg, Opus };

// The format an Encode value names: "MP3" anywhere in it, else exactly "FLAC", "OGG", "OPUS";
// anything else is WAV.
OutputFormat OutputFormatOf(const std::string& encode);

// Whether the encoder library can write an xt output format (xtFormatAvail).
using FormatProbe = std::function<bool(int format)>;
bool EncoderLibraryHasFormat(int format);

// Why a folder cannot become the output folder (too long for the settings store, or a line
// break the settings file cannot hold); empty when it can.
QString OutputFolderProblem(const QString& folder);

class COutputDlg : public QWidget
{
    Q_OBJECT

public:
    // FLAC, Ogg Vorbis and Opus are dimmed, with a tool tip saying why, when `available` says
    // their back-end is missing.
    explicit COutputDlg(QWidget* parent = nullptr,
                        const FormatProbe& available = EncoderLibraryHasFormat);

    // Reads Path and Encode; writes the default output folder as Path and MP3 as Encode when they
    // are empty (also when the sheet is then cancelled).
    void OnInitDialog();
    // Data exchange: true takes the edit box's text into the folder text, false shows it.
    void UpdateData(bool save);

    const QString& folderText() const { return folder_; }
    const QString& encodeText() const { return encode_; }
    QLineEdit* folderEdit() const { return edit_; }
    QRadioButton* mp3Button() const { return mp3_; }
    QRadioButton* wavButton() const { return wav_; }
    QRadioButton* button(OutputFormat format) const;
    QPushButton* browserButton() const { return browser_; }

public slots:
    void OnBrowser();
    void OnMp3();
    void OnWav();
    void OnFlac();
    void OnOgg();
    void OnOpus();

private:
    void Check(OutputFormat format);
    void Choose(OutputFormat format, const char* encode);

    Settings settings_;
    QString folder_;
    QString encode_;
    QLineEdit* edit_ = nullptr;
    QPushButton* browser_ = nullptr;
    QRadioButton* mp3_ = nullptr;
    QRadioButton* wav_ = nullptr;
    QRadioButton* flac_ = nullptr;
    QRadioButton* ogg_ = nullptr;
    QRadioButton* opus_ = nullptr;
};
