// The percentage meter: its picture on pixels (split bar, text in two colours, its own text),
// and as a widget, repainting only when the bar's pixel width changes.
#include "app/rip/PercentMeter.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace
{

const QColor kBar(0, 0, 255), kGround(255, 255, 255), kTextOnBar(255, 255, 0),
    kTextOnGround(255, 0, 0);

MeterLook Look(int position, int width = 200)
{
    MeterLook look;
    look.size = {width, 24};
    look.position = position;
    look.barColor = kBar;
    look.backgroundColor = kGround;
    look.textOnBar = kTextOnBar;
    look.textOnBackground = kTextOnGround;
    look.font = QFont("DejaVu Sans", 10);
    return look;
}

// Whether c lies between a and b (an anti-aliased edge of one over the other); how far toward b.
bool Between(const QColor& c, const QColor& a, const QColor& b, double* t = nullptr)
{
    const double d[3] = {double(b.red() - a.red()), double(b.green() - a.green()),
                         double(b.blue() - a.blue())};
    const double v[3] = {double(c.red() - a.red()), double(c.green() - a.green()),
                         double(c.blue() - a.blue())};
    const double len = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    const double k = (v[0] * d[0] + v[1] * d[1] + v[2] * d[2]) / len;
    if (k < -0.01 || k > 1.01) return false;
    for (int i = 0; i < 3; ++i)
        if (std::abs(v[i] - k * d[i]) > 3) return false;
    if (t) *t = k;
    return true;
}

struct Spread {
    bool allBetween = true;  // every pixel of the columns lies between the two colours
    bool strongText = false; // some pixel is (nearly) the text colour
};

Spread Check(const QImage& image, int fromX, int toX, const QColor& ground, const QColor& text)
{
    Spread s;
    for (int x = fromX; x < toX; ++x)
        for (int y = 0; y < image.height(); ++y) {
            double t = 0;
            if (!Between(image.pixelColor(x, y), ground, text, &t))
                s.allBetween = false;
            else if (t > 0.9)
                s.strongText = true;
        }
    return s;
}

} // namespace

TEST(RenderPercentMeter, ZeroIsAllGroundWithTheTextInTheHighlightColour)
{
    const QImage image = RenderPercentMeter(Look(0));
    ASSERT_EQ(image.size(), QSize(200, 24));
    const Spread s = Check(image, 0, 200, kGround, kTextOnGround);
    EXPECT_TRUE(s.allBetween);
    EXPECT_TRUE(s.strongText);
    EXPECT_EQ(image.pixelColor(0, 0), kGround);
}

TEST(RenderPercentMeter, HundredIsAllBarWithTheTextInTheWindowColour)
{
    const QImage image = RenderPercentMeter(Look(100));
    const Spread s = Check(image, 0, 200, kBar, kTextOnBar);
    EXPECT_TRUE(s.allBetween);
    EXPECT_TRUE(s.strongText);
    EXPECT_EQ(image.pixelColor(199, 23), kBar);
}

TEST(RenderPercentMeter, FiftySplitsTheBarAndTheTextAtTheMiddle)
{
    const QImage image = RenderPercentMeter(Look(50));
    const Spread left = Check(image, 0, 100, kBar, kTextOnBar);
    const Spread right = Check(image, 100, 200, kGround, kTextOnGround);
    EXPECT_TRUE(left.allBetween);
    EXPECT_TRUE(right.allBetween);
    EXPECT_TRUE(left.strongText); // "50%" straddles the end of the bar
    EXPECT_TRUE(right.strongText);
    EXPECT_EQ(image.pixelColor(99, 0), kBar);
    EXPECT_EQ(image.pixelColor(100, 0), kGround);

    // The split is truncated: a third of 100 pixels ends the bar after pixel 32.
    MeterLook third = Look(1, 100);
    third.upper = 3;
    const QImage small = RenderPercentMeter(third);
    EXPECT_EQ(small.pixelColor(32, 0), kBar);
    EXPECT_EQ(small.pixelColor(33, 0), kGround);
}

TEST(RenderPercentMeter, ItsOwnTextReplacesThePercentage)
{
    MeterLook own = Look(50);
    own.text = "50%";
    EXPECT_EQ(RenderPercentMeter(own),
              RenderPercentMeter(Look(50))); // the same words, the same picture
    own.text = "Reading";
    EXPECT_NE(RenderPercentMeter(own), RenderPercentMeter(Look(50)));
    own.showText = false;
    const QImage bare = RenderPercentMeter(own);
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 24; ++y)
            ASSERT_EQ(bare.pixelColor(x, y), x < 100 ? kBar : kGround);

    MeterLook empty = Look(50);
    empty.lower = 100;
    EXPECT_TRUE(RenderPercentMeter(empty).isNull()); // lower >= upper: nothing drawn
}

TEST(RenderPercentMeter, TheTextIsThePositionsPercentageEvenWhereFloatingPointFallsShort)
{
    for (int p = 0; p <= 100; ++p)
        ASSERT_EQ(MeterPercent(p, 0, 100), p);
    EXPECT_EQ(MeterPercent(57, 0, 200), 28);
    EXPECT_EQ(MeterPercent(3, 2, 3), 100);
    EXPECT_EQ(MeterPercent(5, 5, 5), 0);
    // 0.29, 0.57 and 0.58 times 100 come out just below the whole number in floating point.
    for (int p : {29, 57, 58}) {
        MeterLook own = Look(p);
        own.text = QStringLiteral("%1%").arg(p);
        EXPECT_EQ(RenderPercentMeter(Look(p)), RenderPercentMeter(own)) << p;
    }
}

namespace
{

class CountingMeter : public CPercentMeter
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        CPercentMeter::paintEvent(event);
    }
};

class PercentMeterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        meter.resize(52, 20); // a client area of 50 pixels inside the border
        meter.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&meter));
        Settle();
    }
    void Settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        meter.paints = 0;
    }
    CountingMeter meter;
};

} // namespace

TEST_F(PercentMeterTest, OnlyAChangeOfTheBarsPixelWidthRepaints)
{
    EXPECT_EQ(meter.SetPos(50), 0);  // 25 pixels
    EXPECT_EQ(meter.paints, 1);      // at once, not later
    EXPECT_EQ(meter.SetPos(51), 50); // 25.5: still 25 pixels
    QCoreApplication::processEvents();
    EXPECT_EQ(meter.paints, 1);
    EXPECT_EQ(meter.position(), 51);
    meter.SetPos(52); // 26 pixels
    EXPECT_EQ(meter.paints, 2);

    // After a resize the next position repaints even with an unchanged pixel width.
    meter.resize(52, 30);
    Settle();
    meter.SetPos(52);
    EXPECT_EQ(meter.paints, 1);
}

TEST_F(PercentMeterTest, TextChangesRepaintOnlyWhenTheTextDiffers)
{
    meter.SetText("Reading");
    QCoreApplication::processEvents();
    EXPECT_EQ(meter.paints, 1);
    EXPECT_EQ(meter.text(), "Reading");
    meter.SetText("Reading");
    QCoreApplication::processEvents();
    EXPECT_EQ(meter.paints, 1);
    meter.SetText(QString()); // a missing text is the empty text: the percentage again
    QCoreApplication::processEvents();
    EXPECT_EQ(meter.paints, 2);
    EXPECT_TRUE(meter.Look().text.isEmpty());
}

TEST_F(PercentMeterTest, AHiddenMeterIgnoresPositionsAndColoursAreTakenOnce)
{
    meter.SetRange(0, 200);
    meter.SetPos(40);
    meter.hide();
    EXPECT_EQ(meter.SetPos(90), -1);
    EXPECT_EQ(meter.position(), 40);

    const QColor highlight = meter.palette().color(QPalette::Highlight);
    EXPECT_EQ(meter.Look().barColor, highlight);
    EXPECT_EQ(meter.Look().textOnBackground, highlight);
    EXPECT_EQ(meter.Look().backgroundColor, meter.palette().color(QPalette::Base));
    EXPECT_EQ(meter.Look().textOnBar, meter.palette().color(QPalette::Base));
    QPalette changed = meter.palette();
    changed.setColor(QPalette::Highlight, QColor(1, 2, 3));
    meter.setPalette(changed);
    EXPECT_EQ(meter.Look().barColor, highlight);
}
