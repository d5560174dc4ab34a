#include "ReleaseChooserDlg.h"

#include "app/controls/DialogUnits.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

CReleaseChooserDlg::CReleaseChooserDlg(const std::vector<lookup::DiscMetadata>& releases,
                                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Choose the release"));
    setFont(DialogFont("MS Sans Serif", 8));
    auto* text = new QLabel(
        QStringLiteral("Several releases match this disc. Choose the one to name and tag it by:"),
        this);
    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setAllColumnsShowFocus(true);
    list_->setHeaderLabels({QStringLiteral("Source"), QStringLiteral("Artist"),
                            QStringLiteral("Title"), QStringLiteral("Year"),
                            QStringLiteral("Country"), QStringLiteral("Disc")});
    for (const lookup::DiscMetadata& d : releases) {
        const QString disc = d.discTotal > 1
                                 ? QStringLiteral("%1/%2").arg(d.discNumber).arg(d.discTotal)
                                 : QString();
        list_->addTopLevelItem(
            new QTreeWidgetItem({QString::fromStdString(d.source), QString::fromStdString(d.artist),
                                 QString::fromStdString(d.title), QString::fromStdString(d.year),
                                 QString::fromStdString(d.country), disc}));
    }
    for (int c = 0; c < list_->columnCount(); ++c)
        list_->resizeColumnToContents(c);
    list_->setCurrentItem(list_->topLevelItem(0));
    list_->setMinimumWidth(list_->header()->length() + 24);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

int CReleaseChooserDlg::chosen() const
{
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    return row < 0 ? 0 : row;
}
