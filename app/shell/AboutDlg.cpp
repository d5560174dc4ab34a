#include "AboutDlg.h"

#include "app/controls/DialogUnits.h"
#include "app/res/ResourceIds.h"

#include <QLabel>
#include <QPushButton>

namespace
{

// Dialog 100, in dialog units of "MS Sans Serif" 8.
constexpr QSize kDialogSize(235, 55);
constexpr QRect kIconRect(11, 17, 20, 20);
constexpr QRect kTextRect(40, 10, 119, 8);
constexpr QRect kOkRect(178, 7, 50, 14);

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(QStringLiteral("About VeltraCDRipper"));
    setFont(DialogFont("MS Sans Serif", 8));
    const QSize base = DialogBaseUnits(font());
    setFixedSize(MapDialogSize(kDialogSize, base));

    auto* icon = new QLabel(this);
    const QRect iconRect = MapDialogRect(kIconRect, base);
    icon->setGeometry(iconRect.x(), iconRect.y(), 32, 32);
    icon->setPixmap(QPixmap(res::ResourcePath(res::AppIcon)));
    auto* text = new QLabel(QStringLiteral("VeltraCDRipper Version 2.0"), this);
    text->setGeometry(MapDialogRect(kTextRect, base));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(MapDialogRect(kOkRect, base));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
