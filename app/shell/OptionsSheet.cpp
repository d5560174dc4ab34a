#include "OptionsSheet.h"

#include "CommandIds.h"
#include "CurrentSettings.h"
#include "DriveDlg.h"
#include "OutputDlg.h"

#include "app/controls/DialogUnits.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

COptionsSheet::COptionsSheet(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(QStringLiteral("Options"));
    setFont(DialogFont("MS Sans Serif", 8));
    const QSize base = DialogBaseUnits(font());
    const QSize margin = MapDialogSize(QSize(7, 7), base);

    tabs_ = new QTabWidget(this);
    page_ = new COutputDlg;
    tabs_->addTab(page_, QStringLiteral("Output"));
    drive_ = new CDriveDlg;
    tabs_->addTab(drive_, QStringLiteral("Drive"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    const QSize buttonSize = MapDialogSize(QSize(50, 14), base);
    for (QAbstractButton* b : buttons->buttons())
        b->setMinimumSize(buttonSize);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionsSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionsSheet::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(margin.width(), margin.height(), margin.width(), margin.height());
    layout->setSpacing(margin.height());
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    page_->OnInitDialog();
    drive_->OnInitDialog();
}

void COptionsSheet::accept()
{
    page_->UpdateData(true);
    const QString problem = OutputFolderProblem(page_->folderText());
    if (!problem.isEmpty()) {
        QMessageBox::warning(this, QString::fromLatin1(kAppTitle), problem);
        page_->folderEdit()->setFocus();
        page_->folderEdit()->selectAll();
        return;
    }
    const QString driveProblem = DrivePageProblem(drive_->offsetText(), drive_->tableText());
    if (!driveProblem.isEmpty()) {
        QMessageBox::warning(this, QString::fromLatin1(kAppTitle), driveProblem);
        tabs_->setCurrentWidget(drive_);
        drive_->offsetEdit()->setFocus();
        return;
    }
    QDialog::accept();
}

bool RunOptionsCommand(QWidget* parent, CurrentSettings& current)
{
    COptionsSheet sheet(parent);
    if (sheet.exec() != QDialog::Accepted) return false;
    const COutputDlg* page = sheet.outputPage();
    if (page->folderText().isEmpty()) return false;
    SaveSettings(current, QFile::encodeName(page->folderText()).toStdString(),
                 page->encodeText().toStdString());
    sheet.drivePage()->Save(current);
    return true;
}
