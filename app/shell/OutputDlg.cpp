#include "OutputDlg.h"

#include "CommandIds.h"
#include "CurrentSettings.h"

#include "app/controls/DialogUnits.h"
#include "include/Veltraenc.h"

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

// Dialog 142, in dialog units of its font ("System" 10), grown by two rows for the formats
// added beside Mp3 and Wav.
constexpr QSize kPageSize(202, 125);
constexpr QRect kFolderLabelRect(14, 12, 52, 8);
constexpr QRect kFolderEditRect(14, 24, 141, 17);
constexpr QRect kBrowserRect(157, 23, 38, 17);
constexpr QRect kEncodeGroupRect(15, 51, 180, 58);
constexpr QRect kMp3Rect(23, 67, 55, 10);
constexpr QRect kWavRect(98, 65, 58, 12);
constexpr QRect kFlacRect(23, 81, 55, 10);
constexpr QRect kOggRect(98, 81, 70, 10);
constexpr QRect kOpusRect(23, 95, 55, 10);

struct FormatButton {
    OutputFormat format;
    const char* text;
    QRect rect;
    int id;
    int xtFormat;
    const char* library;
};
constexpr FormatButton kNewFormats[] = {
    {OutputFormat::Flac, "FLAC", kFlacRect, kIdFlac, XT_FORMAT_FLAC, "libflac_enc.so"},
    {OutputFormat::Ogg, "Ogg Vorbis", kOggRect, kIdOgg, XT_FORMAT_OGG, "libvorb_enc.so"},
    {OutputFormat::Opus, "Opus", kOpusRect, kIdOpus, XT_FORMAT_OPUS, "libopus_enc.so"},
};

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

OutputFormat OutputFormatOf(const std::string& encode)
{
    switch (EncoderTypeOf(encode, XT_ENCODER_LAME2)) {
    case XT_ENCODER_LAME2:
        return OutputFormat::Mp3;
    case XT_ENCODER_FLAC:
        return OutputFormat::Flac;
    case XT_ENCODER_VORB:
        return OutputFormat::Ogg;
    case XT_ENCODER_OPUS:
        return OutputFormat::Opus;
    default:
        return OutputFormat::Wav;
    }
}

bool EncoderLibraryHasFormat(int format)
{
    return xtFormatAvail(format) == 1;
}

COutputDlg::COutputDlg(QWidget* parent, const FormatProbe& available) : QWidget(parent)
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
    for (const FormatButton& f : kNewFormats) {
        auto* radio = new QRadioButton(QString::fromLatin1(f.text), this);
        radio->setObjectName(QString::number(f.id));
        radio->setAutoExclusive(false);
        radio->setGeometry(MapDialogRect(f.rect, base));
        if (!available(f.xtFormat)) {
            radio->setEnabled(false);
            radio->setToolTip(
                QStringLiteral("%1 is not available: its encoder library %2 was not "
                               "found beside the program.")
                    .arg(QString::fromLatin1(f.text), QString::fromLatin1(f.library)));
        }
        QRadioButton*& member = f.format == OutputFormat::Flac  ? flac_
                                : f.format == OutputFormat::Ogg ? ogg_
                                                                : opus_;
        member = radio;
    }

    connect(browser_, &QPushButton::clicked, this, &COutputDlg::OnBrowser);
    connect(mp3_, &QRadioButton::clicked, this, &COutputDlg::OnMp3);
    connect(wav_, &QRadioButton::clicked, this, &COutputDlg::OnWav);
    connect(flac_, &QRadioButton::clicked, this, &COutputDlg::OnFlac);
    connect(ogg_, &QRadioButton::clicked, this, &COutputDlg::OnOgg);
    connect(opus_, &QRadioButton::clicked, this, &COutputDlg::OnOpus);
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
    Check(OutputFormatOf(format));
    UpdateData(false);
}

void COutputDlg::UpdateData(bool save)
{
    if (save)
        folder_ = edit_->text();
    else
        edit_->setText(folder_);
}

QRadioButton* COutputDlg::button(OutputFormat format) const
{
    switch (format) {
    case OutputFormat::Mp3:
        return mp3_;
    case OutputFormat::Wav:
        return wav_;
    case OutputFormat::Flac:
        return flac_;
    case OutputFormat::Ogg:
        return ogg_;
    case OutputFormat::Opus:
        return opus_;
    }
    return nullptr;
}

void COutputDlg::Check(OutputFormat format)
{
    for (OutputFormat f : {OutputFormat::Mp3, OutputFormat::Wav, OutputFormat::Flac,
                           OutputFormat::Ogg, OutputFormat::Opus})
        button(f)->setChecked(f == format);
}

void COutputDlg::Choose(OutputFormat format, const char* encode)
{
    Check(format);
    encode_ = QString::fromLatin1(encode);
}

void COutputDlg::OnMp3()
{
    Choose(OutputFormat::Mp3, "MP3");
}

void COutputDlg::OnWav()
{
    Choose(OutputFormat::Wav, "WAV");
}

void COutputDlg::OnFlac()
{
    Choose(OutputFormat::Flac, "FLAC");
}

void COutputDlg::OnOgg()
{
    Choose(OutputFormat::Ogg, "OGG");
}

void COutputDlg::OnOpus()
{
    Choose(OutputFormat::Opus, "OPUS");
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
