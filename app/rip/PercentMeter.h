// The rip dialog's meter: a two-coloured bar with the percentage (or a text of its own) centred
// on it, the text changing colour where the bar ends; it repaints only when the bar moves.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

// Everything one picture of the meter's client area depends on.
struct MeterLook {
    QSize size;
    qreal pixelRatio = 1.0;
    int lower = 0;
    int upper = 100;
    int position = 0;
    QString text; // shown instead of the percentage when not empty
    bool showText = true;
    QColor barColor;
    QColor backgroundColor;
    QColor textOnBackground;
    QColor textOnBar;
    QFont font;
};

// The client area; a null image (nothing to draw) when lower >= upper.
QImage RenderPercentMeter(const MeterLook& look);

// The percentage the meter shows for a position, truncated; 0 for an empty range.
int MeterPercent(int position, int lower, int upper);

// Pixel width of the bar for a position.
int MeterBarWidth(int position, int lower, int upper, int clientWidth);

class CPercentMeter : public QWidget
{
    Q_OBJECT

public:
    explicit CPercentMeter(QWidget* parent = nullptr);

    // Stores the range; no redraw.
    void SetRange(int lower, int upper);
    // Returns the previous position, or -1 when the meter is not on screen (nothing stored).
    // Repaints at once only when the bar's pixel width changes.
    int SetPos(int position);
    // Shown instead of the percentage when not empty.
    void SetText(const QString& text);
    QString text() const { return text_; }
    int position() const { return position_; }
    int lower() const { return lower_; }
    int upper() const { return upper_; }
    // The area inside the one-pixel border.
    QRect clientRect() const { return rect().adjusted(1, 1, -1, -1); }
    MeterLook Look() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int position_ = 0;
    int upper_ = 100;
    int lower_ = 0;
    QString text_;
    bool showText_ = true;
    int barWidth_ = -1;
    QColor barColor_;
    QColor backgroundColor_;
    QColor textOnBackground_;
    QColor textOnBar_;
};
