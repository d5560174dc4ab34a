#include "ResourceIds.h"

namespace res
{

QString ResourcePath(int id)
{
    const char* name = nullptr;
    switch (id) {
    case AppIcon:
        return AppIconPath(32);
    case Background:
        name = "bitmaps/background.png";
        break;
    case CloseUp:
        name = "bitmaps/close_up.png";
        break;
    case CloseDown:
        name = "bitmaps/close_down.png";
        break;
    case MenuItemFirst:
        name = "bitmaps/menu_first.png";
        break;
    case MenuItem:
        name = "bitmaps/menu_item.png";
        break;
    case IconSelectAll:
        name = "icons/select_all.png";
        break;
    case IconRip:
        name = "icons/rip.png";
        break;
    case IconHelp:
        name = "icons/help.png";
        break;
    case IconRefresh:
        name = "icons/refresh.png";
        break;
    case IconOptions:
        name = "icons/options.png";
        break;
    case IconInvertSelect:
        name = "icons/invert_select.png";
        break;
    case IconMenuButton:
        name = "icons/menu.png";
        break;
    default:
        return {};
    }
    return QStringLiteral(":/veltra/") + QLatin1String(name);
}

QString AppIconPath(int pixels)
{
    for (int size : kAppIconSizes)
        if (size == pixels) return QStringLiteral(":/veltra/icons/app_%1.png").arg(pixels);
    return {};
}

} // namespace res
