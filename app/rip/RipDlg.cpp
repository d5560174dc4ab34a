#include "RipDlg.h"

#include "app/controls/DialogUnits.h"

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace
{

// Dialog 144, in dialog units of its font ("System" 10).
constexpr QSize kDialogSize(178, 79);
constexpr QRect kCancelRect(60, 53, 44, 14);
constexpr QRect kTrackLabelRect(19, 13, 26, 12);
constexpr QRect kTrackTextRect(54, 14, 65, 13);
constexpr QRect kRipLabelRect(20, 31, 30, 11);
constexpr QRect kMeterRect(53, 30, 107, 13);

} // namespace

CRipDlg::CRipDlg(const TrackRecord& record, const RipSettings& settings, QWidget* parent,
                 RipJob* job)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      record_(record), settings_(settings), job_(job)
{
    record_.name[kTrackNameSize - 1] = '\0';
    setWindowTitle(QStringLiteral("RIP TRACKS"));
    setFont(DialogFont("System", 10));
    const QSize base = DialogBaseUnits(font());
    setFixedSize(MapDialogSize(kDialogSize, base));

    auto* trackLabel = new QLabel(QStringLiteral("Track:"), this);
    trackLabel->setGeometry(MapDialogRect(kTrackLabelRect, base));
    track_ = new QLabel(QFile::decodeName(record_.name), this);
    track_->setObjectName(QStringLiteral("1029"));
    track_->setGeometry(MapDialogRect(kTrackTextRect, base));
    auto* ripLabel = new QLabel(QStringLiteral("Rip %"), this);
    ripLabel->setGeometry(MapDialogRect(kRipLabelRect, base));
    meter_ = new CPercentMeter(this);
    meter_->setObjectName(QStringLiteral("1028"));
    meter_->setGeometry(MapDialogRect(kMeterRect, base));
    meter_->setAccessibleName(QStringLiteral("Progress1"));
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("2"));
    cancel_->setGeometry(MapDialogRect(kCancelRect, base));
    // Enter must neither cancel the rip by accident nor end the dialog as if it had finished.
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, &CRipDlg::reject);
}

CRipDlg::~CRipDlg() = default;

QString CRipDlg::trackText() const
{
    return track_->text();
}

void CRipDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (initialised_) return;
    initialised_ = true;
    // The job starts from the dialog's own event loop, so that an early close during the
    // set-up ends a running dialog.
    QMetaObject::invokeMethod(
        this, [this] { OnInitDialog(); }, Qt::QueuedConnection);
}

void CRipDlg::OnInitDialog()
{
    meter_->SetRange(0, 100);
    meter_->SetPos(0);
    // Ended before it began (Esc at once): nothing is started.
    if (closed_.load()) return;
    jobStarted_ = true;
    StartJob();
}

void CRipDlg::StartJob()
{
    if (job_) StartRipJob(*job_, this, record_, settings_);
}

void CRipDlg::CancelJob()
{
    if (job_) CancelRipJob(*job_);
}

void CRipDlg::SetPosition(int percent)
{
    QMetaObject::invokeMethod(
        this, [this, percent] { meter_->SetPos(percent); }, Qt::QueuedConnection);
}

void CRipDlg::Close(RipResult result)
{
    if (closed_.exchange(true)) return; // the first close counts
    const int code = result == RipResult::Finished ? QDialog::Accepted : QDialog::Rejected;
    QMetaObject::invokeMethod(
        this, [this, code] { QDialog::done(code); }, Qt::QueuedConnection);
}

void CRipDlg::reject()
{
    if (closed_.exchange(true)) return; // a close is already on its way
    if (jobStarted_) CancelJob();
    QDialog::reject();
}

bool CRipDlg::AskOverwrite(const char* caption, const char* text)
{
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(caption), QString::fromLatin1(text),
                    QMessageBox::Ok | QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void CRipDlg::ShowError(const char* caption, const char* text)
{
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(caption), QString::fromLatin1(text),
                    QMessageBox::Ok);
    box.exec();
}
