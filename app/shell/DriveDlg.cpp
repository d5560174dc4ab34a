#include "DriveDlg.h"

#include "CurrentSettings.h"
#include "LookupSettingsFile.h"

#include "app/controls/DialogUnits.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace
{

// In dialog units of the page's font; the Output page is taller still.
constexpr QSize kPageSize(202, 111);
constexpr QRect kOffsetLabelRect(14, 12, 120, 8);
constexpr QRect kOffsetEditRect(14, 24, 60, 17);
constexpr QRect kOffsetNoteRect(80, 24, 115, 17);
constexpr QRect kTableLabelRect(14, 51, 120, 8);
constexpr QRect kTableEditRect(14, 63, 141, 17);
constexpr QRect kBrowserRect(157, 62, 38, 17);
constexpr QRect kSecureRect(14, 81, 181, 10);
constexpr QRect kLookupOnReadRect(14, 90, 181, 10);
constexpr QRect kVerifyRect(14, 100, 181, 10);

} // namespace

QString DrivePageProblem(const QString& offset, const QString& table)
{
    if (!offset.trimmed().isEmpty() && !ParseReadOffset(offset.toStdString()))
        return QStringLiteral("The read offset must be a whole number of samples between %1 "
                              "and %2, or empty.")
            .arg(-kMaxReadOffset)
            .arg(kMaxReadOffset);
    if (table.contains(QLatin1Char('\n')) || table.contains(QLatin1Char('\r')))
        return QStringLiteral("The drive-offset table's name may not contain a line break.");
    return {};
}

CDriveDlg::CDriveDlg(QWidget* parent) : QWidget(parent)
{
    setFont(DialogFont("System", 10));
    const QSize base = DialogBaseUnits(font());
    setFixedSize(MapDialogSize(kPageSize, base));

    auto* offsetLabel = new QLabel(QStringLiteral("Read offset (samples):"), this);
    offsetLabel->setGeometry(MapDialogRect(kOffsetLabelRect, base));
    offset_ = new QLineEdit(this);
    offset_->setGeometry(MapDialogRect(kOffsetEditRect, base));
    offsetLabel->setBuddy(offset_);
    auto* note = new QLabel(QStringLiteral("Empty: the table's offset, or 0"), this);
    note->setGeometry(MapDialogRect(kOffsetNoteRect, base));
    auto* tableLabel = new QLabel(QStringLiteral("Drive-offset table:"), this);
    tableLabel->setGeometry(MapDialogRect(kTableLabelRect, base));
    table_ = new QLineEdit(this);
    table_->setGeometry(MapDialogRect(kTableEditRect, base));
    tableLabel->setBuddy(table_);
    browser_ = new QPushButton(QStringLiteral("Browser"), this);
    browser_->setGeometry(MapDialogRect(kBrowserRect, base));
    browser_->setAutoDefault(false);
    connect(browser_, &QPushButton::clicked, this, &CDriveDlg::OnBrowser);
    secure_ = new QCheckBox(QStringLiteral("Secure (read until two reads agree)"), this);
    secure_->setGeometry(MapDialogRect(kSecureRect, base));
    lookupOnRead_ = new QCheckBox(QStringLiteral("&Look up when a disc is read"), this);
    lookupOnRead_->setGeometry(MapDialogRect(kLookupOnReadRect, base));
    verify_ = new QCheckBox(QStringLiteral("Verify with AccurateRip"), this);
    verify_->setGeometry(MapDialogRect(kVerifyRect, base));
}

void CDriveDlg::OnInitDialog()
{
    Settings settings;
    settings.Open(kSettingsFileName);
    char offset[64] = {};
    char table[1024] = {};
    settings.Read(kSectionDrive, kKeyReadOffset, "", offset, sizeof offset);
    settings.Read(kSectionDrive, kKeyOffsetTable, "", table, sizeof table);
    shownOffset_ = QString::fromLatin1(offset).trimmed();
    shownTable_ = QFile::decodeName(QByteArray(table));
    offset_->setText(shownOffset_);
    table_->setText(shownTable_);
    char secure[16] = {};
    settings.Read(kSectionDrive, kKeySecure, "", secure, sizeof secure);
    shownSecure_ = ParseSwitch(secure);
    secure_->setChecked(shownSecure_);
    char verify[16] = {};
    settings.Read(kSectionDrive, kKeyVerify, "", verify, sizeof verify);
    shownVerify_ = ParseSwitch(verify);
    verify_->setChecked(shownVerify_);
    shownLookupOnRead_ = ReadLookupSettings().lookupOnRead;
    lookupOnRead_->setChecked(shownLookupOnRead_);
}

QString CDriveDlg::offsetText() const
{
    return offset_->text().trimmed();
}

QString CDriveDlg::tableText() const
{
    return table_->text();
}

void CDriveDlg::Save(CurrentSettings& current)
{
    if (offsetText() != shownOffset_) {
        if (const auto offset = ParseReadOffset(offsetText().toStdString())) {
            SaveReadOffset(current, *offset);
        } else {
            // Empty: not set.
            Settings settings;
            settings.Open(kSettingsFileName);
            settings.Write(kSectionDrive, kKeyReadOffset, "");
            current.readOffset.reset();
        }
    }
    if (tableText() != shownTable_)
        SaveOffsetTable(current, QFile::encodeName(tableText()).toStdString());
    if (secure_->isChecked() != shownSecure_) SaveSecure(current, secure_->isChecked());
    if (verify_->isChecked() != shownVerify_) SaveVerify(current, verify_->isChecked());
    if (lookupOnRead_->isChecked() != shownLookupOnRead_)
        SaveLookupOnRead(lookupOnRead_->isChecked());
}

void CDriveDlg::OnBrowser()
{
    const QString chosen =
        QFileDialog::getOpenFileName(this, QStringLiteral("Drive-offset table"), table_->text(),
                                     QStringLiteral("Drive-offset tables (*.bin);;All files (*)"));
    if (!chosen.isEmpty()) table_->setText(chosen);
}
