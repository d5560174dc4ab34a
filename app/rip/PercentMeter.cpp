#include "PercentMeter.h"

#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cstdint>

int MeterBarWidth(int position, int lower, int upper, int clientWidth)
{
    if (lower >= upper) return 0;
    return static_cast<int>(static_cast<double>(position - lower) / (upper - lower) * clientWidth);
}

int MeterPercent(int position, int lower, int upper)
{
    if (lower >= upper) return 0;
    // In integers: a fraction like 0.29 is 0.28999... in floating point.
    return static_cast<int>(int64_t{position - lower} * 100 / (upper - lower));
}

QImage RenderPercentMeter(const MeterLook& look)
{
    if (look.lower >= look.upper || look.size.isEmpty()) return {};
    const double f = static_cast<double>(look.position - look.lower) / (look.upper - look.lower);
    QImage image(look.size * look.pixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(look.pixelRatio);
    QPainter p(&image);
    const QRect all(QPoint(0, 0), look.size);
    const int split = std::clamp(static_cast<int>(all.width() * f), 0, all.width());
    const QRect bar(0, 0, split, all.height());
    const QRect rest(split, 0, all.width() - split, all.height());
    p.fillRect(bar, look.barColor);
    p.fillRect(rest, look.backgroundColor);
    if (look.showText) {
        const QString text =
            !look.text.isEmpty()
                ? look.text
                : QStringLiteral("%1%").arg(MeterPercent(look.position, look.lower, look.upper));
        constexpr int flags = Qt::AlignCenter | Qt::TextSingleLine;
        p.setFont(look.font);
        p.setClipRect(bar);
        p.setPen(look.textOnBar);
        p.drawText(all, flags, text);
        p.setClipRect(rest);
        p.setPen(look.textOnBackground);
        p.drawText(all, flags, text);
    }
    return image;
}

CPercentMeter::CPercentMeter(QWidget* parent) : QWidget(parent)
{
    // Taken once from the system colours.
    const QPalette& pal = palette();
    barColor_ = pal.color(QPalette::Highlight);
    backgroundColor_ = pal.color(QPalette::Base);
    textOnBackground_ = pal.color(QPalette::Highlight);
    textOnBar_ = pal.color(QPalette::Base);
    // Every pixel is painted each time: nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CPercentMeter::SetRange(int lower, int upper)
{
    lower_ = lower;
    upper_ = upper;
}

int CPercentMeter::SetPos(int position)
{
    if (!isVisible()) return -1;
    const int old = position_;
    position_ = position;
    const int width = MeterBarWidth(position_, lower_, upper_, clientRect().width());
    if (width != barWidth_) {
        barWidth_ = width;
        repaint();
    }
    return old;
}

void CPercentMeter::SetText(const QString& text)
{
    if (text == text_) return;
    text_ = text;
    update();
}

MeterLook CPercentMeter::Look() const
{
    MeterLook look;
    look.size = clientRect().size();
    look.pixelRatio = devicePixelRatioF();
    look.lower = lower_;
    look.upper = upper_;
    look.position = position_;
    look.text = text_;
    look.showText = showText_;
    look.barColor = barColor_;
    look.backgroundColor = backgroundColor_;
    look.textOnBackground = textOnBackground_;
    look.textOnBar = textOnBar_;
    look.font = font();
    return look;
}

void CPercentMeter::paintEvent(QPaintEvent*)
{
    const QImage client = RenderPercentMeter(Look());
    if (client.isNull()) return;
    QPainter p(this);
    const QRect r = rect();
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.drawImage(clientRect().topLeft(), client);
}

void CPercentMeter::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    barWidth_ = -1; // the next position change redraws
}
