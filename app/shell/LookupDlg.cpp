#include "LookupDlg.h"

#include "app/controls/DialogUnits.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CLookupDlg::CLookupDlg(lookup::DiscQuery query, lookup::LookupSettings settings,
                       std::optional<lookup::DiscMetadata> cdText, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      query_(std::move(query)), settings_(std::move(settings)), cdText_(std::move(cdText))
{
    setWindowTitle(QStringLiteral("Look up disc information"));
    setFont(DialogFont("MS Sans Serif", 8));
    text_ = new QLabel(QStringLiteral("Looking the disc up..."), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    cancelButton_ = buttons->button(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::rejected, this, &CLookupDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CLookupDlg::~CLookupDlg()
{
    cancel_.store(true);
    if (worker_.joinable()) worker_.join();
}

void CLookupDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (worker_.joinable() || finished_) return;
    worker_ = std::thread([this] {
        result_ =
            lookup::LookUpDisc(query_, settings_, &cancel_, nullptr, cdText_ ? &*cdText_ : nullptr);
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

void CLookupDlg::reject()
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
