#include "OutputDlg.h"

#include "CommandIds.h"
#include "CurrentSettings.h"

#include "app/controls/DialogUnits.h"

#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>

namespace
{

// Dialog 142, in dialog units of its font ("System" 10).
constexpr QSize kPageSize(202, 101);
constexpr QRect kFolderLabelRect(14, 12, 52, 8);
constexpr QRect kFolderEditRect(14, 24, 141, 17);
constexpr QRect kBrowserRect(157, 23, 38, 17);
constexpr QRect kEncodeGroupRect(15, 51, 180, 34);
constexpr QRect kMp3Rect(23, 67, 55, 10);
constexpr QRect kWavRect(98, 65, 58, 12);

} // namespace

QString OutputFolderProblem(const QString& folder)
{
    const QByteArray bytes = QFile::encodeName(folder);
    if (static_cast<size_t>(bytes.size()) > kMaxOutputFolder)
        return QStringLiteral("The output folder is too long: it may hold at most %1 characters.")
            .arg(kMaxOutputFolder);
    if (bytes.contains('\n') || bytes.contains('\r'))
        return QStringLiteral("The output folder may not contain a line break.");
    return {};
}

COutputDlg::COutputDlg(QWidget* parent) : QWidget(parent)
{
    setFont(DialogFont("System", 10));
    const QSize base = DialogBaseUnits(font());
    setFixedSize(MapDialogSize(kPageSize, base));

    auto* label = new QLabel(QStringLiteral("Output Folder:"), this);
    label->setGeometry(MapDialogRect(kFolderLabelRect, base));
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QString::number(kIdFolderEdit));
    edit_->setGeometry(MapDialogRect(kFolderEditRect, base));
    label->setBuddy(edit_);
    browser_ = new QPushButton(QStringLiteral("Browser"), this);
    browser_->setObjectName(QString::number(kIdBrowser));
    browser_->setGeometry(MapDialogRect(kBrowserRect, base));
    browser_->setAutoDefault(false);
    auto* group = new QGroupBox(QStringLiteral("Encode"), this);
    group->setGeometry(MapDialogRect(kEncodeGroupRect, base));
    // Each radio button starts a group of its own: the handlers set both check marks.
    mp3_ = new QRadioButton(QStringLiteral("Mp3"), this);
    mp3_->setObjectName(QString::number(kIdMp3));
    mp3_->setAutoExclusive(false);
    mp3_->setGeometry(MapDialogRect(kMp3Rect, base));
    wav_ = new QRadioButton(QStringLiteral("Wav"), this);
    wav_->setObjectName(QString::number(kIdWav));
    wav_->setAutoExclusive(false);
    wav_->setGeometry(MapDialogRect(kWavRect, base));

    connect(browser_, &QPushButton::clicked, this, &COutputDlg::OnBrowser);
    connect(mp3_, &QRadioButton::clicked, this, &COutputDlg::OnMp3);
    connect(wav_, &QRadioButton::clicked, this, &COutputDlg::OnWav);
}

void COutputDlg::OnInitDialog()
{
    settings_.Open(kSettingsFileName);
    // Room for more than the store holds: a longer Path is shown whole and refused on OK
    // rather than cut into another folder.
    char path[1024] = {};
    char encode[128] = {};
    settings_.Read(kSectionOutput, kKeyPath, "", path, sizeof path);
    settings_.Read(kSectionOutput, kKeyEncode, "", encode, sizeof encode);
    std::string folder = path;
    // A Path too long for the store is not the folder in use: show the one that is.
    if (folder.size() > kMaxOutputFolder) folder = DefaultOutputFolder();
    if (folder.empty()) {
        // The program's folder, or the user's music folder when the program cannot write there.
        folder = DefaultOutputFolder();
        settings_.Write(kSectionOutput, kKeyPath, folder.c_str());
    }
    std::string format = encode;
    if (format.empty()) {
        settings_.Write(kSectionOutput, kKeyEncode, "MP3");
        format = "MP3";
    }
    folder_ = QFile::decodeName(QByteArray::fromStdString(folder));
    encode_ = QString::fromLatin1(format);
    Check(MeansMp3(format));
    UpdateData(false);
}

void COutputDlg::UpdateData(bool save)
{
    if (save)
        folder_ = edit_->text();
    else
        edit_->setText(folder_);
}

void COutputDlg::Check(bool mp3)
{
    mp3_->setChecked(mp3);
    wav_->setChecked(!mp3);
}

void COutputDlg::OnMp3()
{
    Check(true);
    encode_ = QStringLiteral("MP3");
}

void COutputDlg::OnWav()
{
    Check(false);
    encode_ = QStringLiteral("WAV");
}

void COutputDlg::OnBrowser()
{
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Select Add Folder."),
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
        QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return;
    const QString folder = QDir::toNativeSeparators(chosen);
    const QString problem = OutputFolderProblem(folder);
    if (!problem.isEmpty()) {
        QMessageBox::warning(this, QString::fromLatin1(kAppTitle), problem);
        return;
    }
    folder_ = folder;
    edit_->setText(folder_);
}
