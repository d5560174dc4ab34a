// The numeric ids of the program's pictures and the Qt resource paths of the PNG files that the
// build renders for them from app/res/art; link veltra_resources to have the files.
#pragma once

#include <QString>

namespace res
{

enum Id : int {
    AppIcon = 128,       // group icon; 16, 32, 48 and 256 pixels (AppIconPath)
    Background = 129,    // main window background, 595 x 383, opaque
    CloseUp = 130,       // close button, 23 x 23, opaque
    CloseDown = 131,     // close button pressed, 23 x 23, opaque
    MenuItemFirst = 134, // 16 x 16, first item of the File, Options and Help menus
    MenuItem = 135,      // 16 x 16, every other menu item
    IconSelectAll = 136, // the 32 x 32 button icons, transparent
    IconRip = 138,
    IconHelp = 139,
    IconRefresh = 140,
    IconOptions = 141,
    IconInvertSelect = 157,
    IconMenuButton = 165, // left of the four menu buttons' captions
};

// The ":/veltra/..." path of the picture with this id, or an empty text for an unknown id. The
// application icon's path is its 32 x 32 picture, the size the platform's icon loader gives.
QString ResourcePath(int id);

// The application icon at one of the sizes below; an empty text for any other size.
QString AppIconPath(int pixels);
inline constexpr int kAppIconSizes[] = {16, 32, 48, 256};

} // namespace res
