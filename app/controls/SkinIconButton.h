// The main window's skinned push button: a 32 x 32 icon, dimmed while the mouse is elsewhere,
// drawn over the parent's background, with an optional caption, a thin frame and a tooltip.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QPushButton>
#include <QString>

// The idle icon: every colour component loses `factor` of itself (truncated toward zero), and
// pure black stays black. A factor not greater than 0 or greater than 1 keeps the colours; a
// null icon gives a null icon.
QImage MakeDarkerIcon(const QImage& icon, double factor);

// Everything one picture of the button depends on.
struct SkinButtonLook {
    QSize size;
    qreal pixelRatio = 1.0;
    QImage background;      // the parent's pixels under the button; null: fill with backgroundColor
    QColor backgroundColor; // of the state: active (hover or pressed), else focused, else normal
    QColor textColor;
    QColor highlightColor; // the light edges of the frame
    QColor shadowColor;    // the dark edges
    bool hover = false;
    bool pressed = false;
    bool focused = false;
    bool disabled = false;
    bool drawBorder = true;
    QImage activeIcon;
    QImage idleIcon; // may be null: the active icon is shown instead
    QString caption; // '&' marks the mnemonic
    QFont font;
    QPoint pressOffset{1, 1};
    int imageMargin = 3;
};

// Draws the button: background, frame (raised on hover, sunken when pressed, none without
// drawBorder), icon and caption.
QImage RenderSkinButton(const SkinButtonLook& look);

class CSkinIconButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CSkinIconButton(QWidget* parent = nullptr);
    explicit CSkinIconButton(const QString& text, QWidget* parent = nullptr);

    void SetDrawBorder(bool enable, bool redraw = true);
    // Loads the icon (a Qt resource path or file) as the active icon and builds the dimmed idle
    // copy. 0 also when the icon cannot be loaded (the button shows none); 1 when the dimmed
    // copy cannot be made (then neither icon is kept).
    int SetButtonIcon(const QString& path);
    // A null text leaves the tooltip as it is.
    void SetTooltipText(const QString& text, bool activate = true);
    // Draws the parent's pixels as the background from now on; the cached copy is taken again.
    void SetTransparent(bool redraw = false);
    void CancelHover();

    bool IsHovered() const { return hover_; }
    bool IsTransparent() const { return transparent_; }
    bool HasBackgroundCache() const { return !backgroundCache_.isNull(); }
    bool IsDefaultButton() const { return isDefault(); }
    bool IsTooltipActive() const { return tooltipActive_; }
    // The state as it would be drawn now (without taking the background cache).
    SkinButtonLook Look() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void ResetColours();
    void CaptureBackground();
    void MoveFocusOnDisable();

    struct Colours {
        QColor background;
        QColor text;
    };

    bool hover_ = false;
    bool transparent_ = false;
    bool drawBorder_ = true;
    bool tooltipActive_ = false;
    Colours active_, normal_, focused_;
    QImage backgroundCache_;
    QImage activeIcon_;
    QImage idleIcon_;
};
