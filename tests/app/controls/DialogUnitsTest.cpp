// Dialog units to pixels: quarters and eighths of the base units, each edge rounded on its own.
#include "app/controls/DialogUnits.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

TEST(DialogUnits, EdgesAreMappedOneByOneSoThatNeighboursShareTheirEdge)
{
    const QSize base(6, 13); // "MS Sans Serif" 8 at 96 dots per inch
    EXPECT_EQ(MapDialogRect({314, 1, 15, 13}, base), QRect(471, 2, 23, 21));
    EXPECT_EQ(MapDialogSize({329, 221}, base), QSize(494, 359));
    // The File and Edit buttons: 1..48 and 49..96 leave one unit between them.
    const QRect file = MapDialogRect({1, 25, 47, 15}, base),
                edit = MapDialogRect({49, 25, 47, 15}, base);
    EXPECT_EQ(file.x() + file.width(), MapDialogRect({48, 0, 0, 0}, base).x());
    EXPECT_EQ(edit.x(), MapDialogRect({49, 0, 0, 0}, base).x());
    // A width of 15 units at x 314 and at x 0 differ by the rounding of the edges.
    EXPECT_EQ(MapDialogRect({0, 0, 15, 8}, base), QRect(0, 0, 23, 13));
    EXPECT_EQ(MapDialogRect({1, 1, 1, 1}, {8, 16}), QRect(2, 2, 2, 2));
}

TEST(DialogUnits, BaseUnitsComeFromTheFontsLettersAndHeight)
{
    const QFont font = DialogFont("MS Sans Serif", 8);
    const QSize base = DialogBaseUnits(font);
    const QFontMetrics metrics(font);
    EXPECT_EQ(base.height(), metrics.height());
    const double average =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0;
    EXPECT_NEAR(base.width(), average, 0.5 + 1e-9);
    // A larger font gives larger units, and the windows grow with it.
    const QSize larger = DialogBaseUnits(DialogFont("MS Sans Serif", 16));
    EXPECT_GT(larger.width(), base.width());
    EXPECT_GT(larger.height(), base.height());
}
