// The Options sheet's one page, "Output": the output folder (typed or browsed) and the output
// format, read from the settings file when the page starts.
#pragma once

#include "Settings.h"

#include <QString>
#include <QWidget>

class QLineEdit;
class QPushButton;
class QRadioButton;

constexpr int kIdFolderEdit = 1017;
constexpr int kIdMp3 = 1019;
constexpr int kIdWav = 1020;
constexpr int kIdBrowser = 1030;

// Why a folder cannot become the output folder (too long for the settings store, or a line
// break the settings file cannot hold); empty when it can.
QString OutputFolderProblem(const QString& folder);

class COutputDlg : public QWidget
{
    Q_OBJECT

public:
    explicit COutputDlg(QWidget* parent = nullptr);

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
    QPushButton* browserButton() const { return browser_; }

public slots:
    void OnBrowser();
    void OnMp3();
    void OnWav();

private:
    void Check(bool mp3);

    Settings settings_;
    QString folder_;
    QString encode_;
    QLineEdit* edit_ = nullptr;
    QPushButton* browser_ = nullptr;
    QRadioButton* mp3_ = nullptr;
    QRadioButton* wav_ = nullptr;
};
