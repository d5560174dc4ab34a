// The four popup menus of the main window's menu buttons: texts, order, separators, item
// bitmaps and command numbers.
#pragma once

#include <QString>
#include <vector>

class QMenu;
class QWidget;

struct MenuItem {
    const char* text; // null for a separator
    int command;
    int bitmap; // resource id of the 16 x 16 item bitmap
};

// The items of the menu that a menu button (kIdFileMenu .. kIdHelpMenu) opens; empty for any
// other id.
std::vector<MenuItem> MenuItems(int menuButton);

// A new popup menu with those items; each action carries its command number as data.
QMenu* BuildPopupMenu(int menuButton, QWidget* parent);
