// A push button drawn from two bitmaps, one while up and one while pressed: the main window's
// close button.
#pragma once

#include <QAbstractButton>
#include <QPixmap>

class CBitmapButton : public QAbstractButton
{
    Q_OBJECT

public:
    CBitmapButton(const QPixmap& up, const QPixmap& down, QWidget* parent = nullptr);
    QSize sizeHint() const override { return up_.size(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap up_;
    QPixmap down_;
};
