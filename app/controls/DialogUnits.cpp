#include "DialogUnits.h"

#include <QFontMetrics>

namespace
{

// a * b / c rounded half away from zero, as the layout rounding of dialog templates does.
int MulDiv(int a, int b, int c)
{
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

} // namespace

QFont DialogFont(const char* family, int points)
{
    QFont font(QString::fromLatin1(family));
    font.setPointSize(points);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QSize DialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, metrics.height()};
}

QRect MapDialogRect(const QRect& units, QSize base)
{
    const int left = MulDiv(units.x(), base.width(), 4);
    const int top = MulDiv(units.y(), base.height(), 8);
    const int right = MulDiv(units.x() + units.width(), base.width(), 4);
    const int bottom = MulDiv(units.y() + units.height(), base.height(), 8);
    return {left, top, right - left, bottom - top};
}

QSize MapDialogSize(const QSize& units, QSize base)
{
    return {MulDiv(units.width(), base.width(), 4), MulDiv(units.height(), base.height(), 8)};
}
