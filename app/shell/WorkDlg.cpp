#include "WorkDlg.h"

#include "app/controls/DialogUnits.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CWorkDlg::CWorkDlg(const QString& title, const QString& text, Work work, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      work_(std::move(work))
{
    setWindowTitle(title);
    setFont(DialogFont("MS Sans Serif", 8));
    text_ = new QLabel(text, this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    cancelButton_ = buttons->button(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::rejected, this, &CWorkDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CWorkDlg::~CWorkDlg()
{
    cancel_.store(true);
    if (worker_.joinable()) worker_.join();
}

void CWorkDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (worker_.joinable() || finished_) return;
    worker_ = std::thread([this] {
        work_(&cancel_);
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

void CWorkDlg::reject()
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
