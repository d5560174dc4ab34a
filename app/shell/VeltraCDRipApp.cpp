#include "VeltraCDRipApp.h"

#include "CommandIds.h"
#include "VeltraCDRipDlg.h"

#include <QPalette>
#include <QStyleFactory>

CVeltraCDRipApp::CVeltraCDRipApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromLatin1(kAppTitle));
    setApplicationVersion(QStringLiteral("2.0"));
}

int CVeltraCDRipApp::InitInstance()
{
    ApplyVeltraLook(*this);
    CVeltraCDRipDlg window;
    window.exec();
    return 0;
}

void ApplyVeltraLook(QApplication& app)
{
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
    QPalette p;
    const QColor text("#e9eef4");
    p.setColor(QPalette::Window, QColor("#212a37"));
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor("#151b24"));
    p.setColor(QPalette::AlternateBase, QColor("#19202a"));
    p.setColor(QPalette::ToolTipBase, QColor("#2b3646"));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor("#7d8ca0"));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor("#2b3646"));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor("#ff9a8f"));
    p.setColor(QPalette::Light, QColor("#7d8ca0"));
    p.setColor(QPalette::Midlight, QColor("#3a475a"));
    p.setColor(QPalette::Mid, QColor("#1f2732"));
    p.setColor(QPalette::Dark, QColor("#0f141b"));
    p.setColor(QPalette::Shadow, QColor("#05080c"));
    p.setColor(QPalette::Highlight, QColor("#22a9d4"));
    p.setColor(QPalette::HighlightedText, QColor("#0f141b"));
    p.setColor(QPalette::Link, QColor("#4cc9e8"));
    p.setColor(QPalette::LinkVisited, QColor("#8fe3f5"));
    const QColor disabled("#56657a");
    p.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    p.setColor(QPalette::Disabled, QPalette::Text, disabled);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor("#3a475a"));
    app.setPalette(p);
    // Fusion draws a list's check boxes in a shade of the window colour: lighter there, so that
    // they stand out from the list's dark ground.
    QPalette lists = p;
    lists.setColor(QPalette::Window, QColor("#7d8ca0"));
    app.setPalette(lists, "QAbstractItemView");
    app.setPalette(p, "QHeaderView");
    // Popup menus: a visible edge and separator on the dark ground, the accent for the item
    // under the mouse.
    app.setStyleSheet(QStringLiteral(
        "QMenu { background-color: #1a212c; border: 1px solid #3a475a; padding: 4px 0px; }"
        "QMenu::item { padding: 5px 28px 5px 8px; color: #e9eef4; }"
        "QMenu::item:selected { background-color: #22a9d4; color: #0f141b; }"
        "QMenu::icon { padding-left: 6px; }"
        "QMenu::separator { height: 1px; background: #3a475a; margin: 4px 8px; }"));
}
