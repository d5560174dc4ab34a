#include "BitmapButton.h"

#include <QPainter>

CBitmapButton::CBitmapButton(const QPixmap& up, const QPixmap& down, QWidget* parent)
    : QAbstractButton(parent), up_(up), down_(down)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

void CBitmapButton::paintEvent(QPaintEvent*)
{
    // The bitmap at its own size, centred and clipped to the button: no scaling blur.
    const QPixmap& pixmap = isDown() ? down_ : up_;
    if (pixmap.isNull()) return;
    const QSize size = pixmap.deviceIndependentSize().toSize();
    QPainter p(this);
    p.drawPixmap((width() - size.width()) / 2, (height() - size.height()) / 2, pixmap);
}
