#include "MainMenus.h"

#include "CommandIds.h"

#include "app/res/ResourceIds.h"

#include <QAction>
#include <QIcon>
#include <QMenu>

std::vector<MenuItem> MenuItems(int menuButton)
{
    constexpr int first = res::MenuItemFirst, other = res::MenuItem;
    switch (menuButton) {
    case kIdFileMenu:
        return {{"Refresh CD", kIdRefresh, first},
                {"Rip Track", kIdRip, other},
                {nullptr, 0, 0},
                {"Exit", kIdExit, other}};
    case kIdEditMenu:
        return {{"Select All", kIdSelectAll, other},
                {"Invert Selection", kIdInvertSelect, other},
                {nullptr, 0, 0},
                {"Look up disc information", kIdLookUp, other},
                {"Album...", kIdAlbum, other}};
    case kIdOptionsMenu:
        return {{"Options", kIdOptions, first}};
    case kIdHelpMenu:
        return {{"Help", kIdHelp, first}, {nullptr, 0, 0}, {"About", kIdAbout, other}};
    default:
        return {};
    }
}

QMenu* BuildPopupMenu(int menuButton, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    for (const MenuItem& item : MenuItems(menuButton)) {
        if (!item.text) {
            menu->addSeparator();
            continue;
        }
        QAction* action =
            menu->addAction(QIcon(res::ResourcePath(item.bitmap)), QString::fromLatin1(item.text));
        action->setData(item.command);
    }
    return menu;
}
