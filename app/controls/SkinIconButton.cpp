#include "SkinIconButton.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

QImage MakeDarkerIcon(const QImage& icon, double factor)
{
    if (icon.isNull()) return {};
    QImage out = icon.convertToFormat(QImage::Format_ARGB32);
    if (!(factor > 0.0) || factor > 1.0) return out;
    const auto dim = [factor](int c) { return static_cast<int>(c - c * factor); };
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = line[x];
            if ((p & 0x00FFFFFFu) == 0) continue; // black is kept
            line[x] = qRgba(dim(qRed(p)), dim(qGreen(p)), dim(qBlue(p)), qAlpha(p));
        }
    }
    return out;
}

namespace
{

// The icon of a disabled button: grey and faint.
QImage DisabledIcon(const QImage& icon)
{
    QImage out = icon.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = line[x];
            const int g = qGray(p);
            line[x] = qRgba(g, g, g, qAlpha(p) * 45 / 100);
        }
    }
    return out;
}

void PaintBackground(QPainter& p, const QRect& rect, const SkinButtonLook& look)
{
    if (!look.background.isNull())
        p.drawImage(QPoint(0, 0), look.background);
    else
        p.fillRect(rect, look.backgroundColor);
}

// A one-pixel frame drawn as the classic 3-D rectangle: top and left in the first colour, the
// right and bottom edges (corners included) in the second.
void Frame(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight)
{
    const int x = r.x(), y = r.y(), cx = r.width(), cy = r.height();
    p.fillRect(x, y, cx - 1, 1, topLeft);
    p.fillRect(x, y, 1, cy - 1, topLeft);
    p.fillRect(x + cx - 1, y, 1, cy, bottomRight);
    p.fillRect(x, y + cy - 1, cx, 1, bottomRight);
}

void PaintBorder(QPainter& p, const QRect& rect, const SkinButtonLook& look)
{
    if (!look.drawBorder) return;
    if (look.pressed)
        Frame(p, rect, look.shadowColor, look.highlightColor); // sunken
    else if (look.hover)
        Frame(p, rect, look.highlightColor, look.shadowColor); // raised
}

void PaintIcon(QPainter& p, bool hasCaption, const QRect& rect, QRect& caption,
               const SkinButtonLook& look)
{
    const QImage& icon =
        (look.pressed || look.hover || look.idleIcon.isNull()) ? look.activeIcon : look.idleIcon;
    const int w = icon.width(), h = icon.height();
    QPoint at;
    if (hasCaption) {
        at.setX(rect.left() + look.imageMargin);
        caption.setLeft(caption.left() + look.imageMargin + w);
    } else {
        at.setX(rect.left() + (rect.width() - w) / 2);
    }
    at.setY(rect.top() + (rect.height() - h) / 2);
    if (look.pressed) at += look.pressOffset;
    p.drawImage(at, look.disabled ? DisabledIcon(icon) : icon);
}

void PaintCaption(QPainter& p, const QRect& caption, const SkinButtonLook& look)
{
    QRect box = caption;
    if (look.pressed) box.translate(look.pressOffset);
    constexpr int flags = Qt::TextWordWrap | Qt::AlignHCenter | Qt::TextShowMnemonic;
    p.setFont(look.font);
    const QRect measured = QFontMetrics(look.font).boundingRect(box, flags, look.caption);
    const QRect placed(box.left() + (box.width() - measured.width()) / 2,
                       box.top() + (box.height() - measured.height()) / 2, measured.width(),
                       measured.height());
    if (look.disabled) {
        // Embossed: a light copy one pixel down and right under the shadow-coloured text.
        p.setPen(look.highlightColor);
        p.drawText(placed.translated(1, 1), flags, look.caption);
        p.setPen(look.shadowColor);
        p.drawText(placed, flags, look.caption);
    } else {
        p.setPen(look.textColor);
        p.drawText(placed, flags, look.caption);
    }
}

} // namespace

QImage RenderSkinButton(const SkinButtonLook& look)
{
    if (look.size.isEmpty()) return {};
    QImage image(look.size * look.pixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(look.pixelRatio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const QRect rect(QPoint(0, 0), look.size);
    QRect caption = rect;
    PaintBackground(p, rect, look);
    PaintBorder(p, rect, look);
    const bool hasCaption = !look.caption.isEmpty();
    if (!look.activeIcon.isNull()) PaintIcon(p, hasCaption, rect, caption, look);
    if (hasCaption) PaintCaption(p, caption, look);
    return image;
}

CSkinIconButton::CSkinIconButton(QWidget* parent) : CSkinIconButton(QString(), parent) {}

CSkinIconButton::CSkinIconButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
    ResetColours();
    // The clicked button takes the focus; the parent still gets the click.
    connect(this, &QAbstractButton::clicked, this, [this] {
        setFocus(Qt::MouseFocusReason);
        update();
    });
}

void CSkinIconButton::ResetColours()
{
    const QPalette& pal = palette();
    const Colours system{pal.color(QPalette::Button), pal.color(QPalette::ButtonText)};
    active_ = normal_ = focused_ = system;
}

void CSkinIconButton::SetDrawBorder(bool enable, bool redraw)
{
    drawBorder_ = enable;
    if (redraw) update();
}

int CSkinIconButton::SetButtonIcon(const QString& path)
{
    activeIcon_ = QImage();
    idleIcon_ = QImage();
    QImage icon(path);
    if (!icon.isNull()) {
        activeIcon_ = icon.convertToFormat(QImage::Format_ARGB32);
        idleIcon_ = MakeDarkerIcon(activeIcon_, 0.25);
        if (idleIcon_.isNull()) {
            activeIcon_ = QImage();
            update();
            return 1;
        }
    }
    update();
    return 0;
}

void CSkinIconButton::SetTooltipText(const QString& text, bool activate)
{
    if (text.isNull()) return;
    setToolTip(text);
    tooltipActive_ = activate;
}

void CSkinIconButton::SetTransparent(bool redraw)
{
    transparent_ = true;
    backgroundCache_ = QImage();
    if (redraw) update();
}

void CSkinIconButton::CancelHover()
{
    if (!hover_) return;
    hover_ = false;
    update();
}

SkinButtonLook CSkinIconButton::Look() const
{
    SkinButtonLook look;
    look.size = size();
    look.pixelRatio = devicePixelRatioF();
    look.hover = hover_;
    look.pressed = isDown();
    look.focused = hasFocus();
    look.disabled = !isEnabled();
    look.drawBorder = drawBorder_;
    const Colours& c = (look.hover || look.pressed) ? active_ : look.focused ? focused_ : normal_;
    look.backgroundColor = c.background;
    look.textColor = c.text;
    look.highlightColor = palette().color(QPalette::Light);
    look.shadowColor = palette().color(QPalette::Dark);
    look.activeIcon = activeIcon_;
    look.idleIcon = idleIcon_;
    look.caption = text();
    look.font = font();
    if (transparent_) look.background = backgroundCache_;
    return look;
}

void CSkinIconButton::CaptureBackground()
{
    QWidget* parent = parentWidget();
    if (!parent) return;
    const qreal ratio = devicePixelRatioF();
    QImage cache(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    cache.setDevicePixelRatio(ratio);
    cache.fill(Qt::transparent);
    // The parent alone, without its children: the snapshot is what lies under the button.
    parent->render(&cache, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    backgroundCache_ = cache;
}

void CSkinIconButton::paintEvent(QPaintEvent*)
{
    if (transparent_ && backgroundCache_.isNull()) CaptureBackground();
    const QImage image = RenderSkinButton(Look());
    QPainter p(this);
    p.drawImage(QPoint(0, 0), image);
}

void CSkinIconButton::mouseMoveEvent(QMouseEvent* event)
{
    QPushButton::mouseMoveEvent(event);
    // Arriving with the button already held (a drag from elsewhere) does not highlight.
    if ((event->buttons() & Qt::LeftButton) && !hover_) return;
    if (rect().contains(event->position().toPoint())) {
        if (hover_) return;
        hover_ = true;
        update();
    } else {
        CancelHover();
    }
}

void CSkinIconButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double-click is an ordinary press, so it clicks again.
    QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->scenePosition(),
                      event->globalPosition(), event->button(), event->buttons(),
                      event->modifiers(), event->pointingDevice());
    mousePressEvent(&press);
    event->setAccepted(press.isAccepted());
}

void CSkinIconButton::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    CancelHover();
}

void CSkinIconButton::focusOutEvent(QFocusEvent* event)
{
    QPushButton::focusOutEvent(event);
    CancelHover();
}

void CSkinIconButton::hideEvent(QHideEvent* event)
{
    QPushButton::hideEvent(event);
    CancelHover();
}

void CSkinIconButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::ActivationChange:
        if (!isActiveWindow()) CancelHover();
        break;
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            MoveFocusOnDisable();
            CancelHover();
        }
        break;
    case QEvent::PaletteChange:
        // New system colours: new frame and caption colours, and a fresh snapshot of the parent.
        backgroundCache_ = QImage();
        ResetColours();
        update();
        break;
    default:
        break;
    }
}

void CSkinIconButton::MoveFocusOnDisable()
{
    QWidget* parent = parentWidget();
    if (!parent) return;
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (!parent->isAncestorOf(w)) continue;
        if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->isEnabled() &&
            w->isVisibleTo(parent)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    parent->setFocus(Qt::OtherFocusReason);
}

bool CSkinIconButton::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && !tooltipActive_) {
        event->ignore();
        return true;
    }
    return QPushButton::event(event);
}
