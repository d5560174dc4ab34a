// Window geometry in dialog units: the font's base units turn them into pixels, so that every
// window keeps the proportions of its layout whatever font the machine has.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// A dialog's font by its family and point size; families the machine lacks fall back to the
// desktop's sans-serif font.
QFont DialogFont(const char* family, int points);

// Horizontal and vertical base units of a font: the average width of the 52 Latin letters
// (rounded) and the line height, in pixels.
QSize DialogBaseUnits(const QFont& font);

// x and width in quarters of the horizontal unit, y and height in eighths of the vertical one,
// rounded to the nearest pixel.
QRect MapDialogRect(const QRect& units, QSize baseUnits);
QSize MapDialogSize(const QSize& units, QSize baseUnits);
