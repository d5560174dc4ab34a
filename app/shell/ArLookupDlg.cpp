#include "ArLookupDlg.h"

#include "app/controls/DialogUnits.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CArLookupDlg::CArLookupDlg(verify::AccurateRipDiscId disc, verify::ArLookupSettings settings,
                           QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), disc_(disc),
      settings_(std::move(settings))
{
    setWindowTitle(QStringLiteral("Verify with AccurateRip"));
    setFont(DialogFont("MS Sans Serif", 8));
    text_ = new QLabel(QStringLiteral("Looking the disc up in AccurateRip..."), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    cancelButton_ = buttons->button(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::rejected, this, &CArLookupDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CArLookupDlg::~CArLookupDlg()
{
    cancel_.store(true);
    if (worker_.joinable()) worker_.join();
}

void CArLookupDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (worker_.joinable() || finished_) return;
    worker_ = std::thread([this] {
        result_ = verify::LookUpAccurateRip(disc_, settings_, &cancel_);
        // Posted: runs on the user-interface thread, and not at all once the dialog is gone.
        QMetaObject::invokeMethod(
            this,
            [this] {
                finished_ = true;
                if (worker_.joinable()) worker_.join();
                done(cancel_.load() ? QDialog::Rejected : QDialog::Accepted);
            },
            Qt::QueuedConnection);
    });
}

void CArLookupDlg::reject()
{
    if (finished_ || !worker_.joinable()) {
        cancel_.store(true);
        QDialog::reject();
        return;
    }
    cancel_.store(true);
    text_->setText(QStringLiteral("Cancelling..."));
    cancelButton_->setEnabled(false);
}
