// The skinned icon button: the dimmed icon, the picture of each state (on pixels, without a
// window), and the button's behaviour as a widget: hover, clicks, focus, colours, background.
#include "app/controls/SkinIconButton.h"

#include "GuiTestSupport.h"

#include <QDialog>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace
{

const QColor kGround(0, 0, 200), kLight(250, 250, 250), kShadow(10, 10, 10), kText(255, 255, 0);
const QColor kRed(200, 100, 3);

QImage Solid(QSize size, const QColor& colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

SkinButtonLook Look(QSize size = {40, 30})
{
    SkinButtonLook look;
    look.size = size;
    look.backgroundColor = kGround;
    look.textColor = kText;
    look.highlightColor = kLight;
    look.shadowColor = kShadow;
    look.activeIcon = Solid({8, 8}, kRed);
    look.idleIcon = MakeDarkerIcon(look.activeIcon, 0.25);
    return look;
}

QColor At(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

const QColor kIdleRed(150, 75, 2);

} // namespace

TEST(MakeDarkerIcon, TakesAQuarterOffEachComponentAndKeepsBlack)
{
    QImage icon(3, 1, QImage::Format_ARGB32);
    icon.setPixel(0, 0, qRgba(200, 100, 3, 255));
    icon.setPixel(1, 0, qRgba(0, 0, 0, 255));
    icon.setPixel(2, 0, qRgba(1, 4, 255, 128));
    const QImage dark = MakeDarkerIcon(icon, 0.25);
    EXPECT_EQ(dark.pixel(0, 0), qRgba(150, 75, 2, 255));
    EXPECT_EQ(dark.pixel(1, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(dark.pixel(2, 0), qRgba(0, 3, 191, 128));   // alpha kept; 0.75 and 191.25 truncate
    EXPECT_EQ(icon.pixel(0, 0), qRgba(200, 100, 3, 255)); // the source is left alone
}

TEST(MakeDarkerIcon, FactorsOutsideZeroToOneKeepTheColoursAndNoIconGivesNone)
{
    QImage icon(1, 1, QImage::Format_ARGB32);
    icon.setPixel(0, 0, qRgba(200, 100, 3, 255));
    for (double factor : {0.0, -0.5, 1.5})
        EXPECT_EQ(MakeDarkerIcon(icon, factor).pixel(0, 0), qRgba(200, 100, 3, 255)) << factor;
    EXPECT_EQ(MakeDarkerIcon(icon, 1.0).pixel(0, 0), qRgba(0, 0, 0, 255));
    EXPECT_TRUE(MakeDarkerIcon(QImage(), 0.25).isNull());
}

TEST(RenderSkinButton, IdleShowsTheDimmedIconCentredAndNoFrame)
{
    const QImage image = RenderSkinButton(Look());
    EXPECT_EQ(At(image, 0, 0), kGround);
    EXPECT_EQ(At(image, 39, 29), kGround);
    EXPECT_EQ(At(image, 16, 11), kIdleRed); // (40 - 8) / 2, (30 - 8) / 2
    EXPECT_EQ(At(image, 23, 18), kIdleRed);
    EXPECT_EQ(At(image, 15, 11), kGround);
    EXPECT_EQ(At(image, 24, 18), kGround);
}

TEST(RenderSkinButton, HoverBrightensTheIconAndRaisesAFrame)
{
    SkinButtonLook look = Look();
    look.hover = true;
    const QImage image = RenderSkinButton(look);
    EXPECT_EQ(At(image, 0, 0), kLight);
    EXPECT_EQ(At(image, 20, 0), kLight);
    EXPECT_EQ(At(image, 0, 15), kLight);
    EXPECT_EQ(At(image, 39, 0), kShadow); // the right edge takes the corner
    EXPECT_EQ(At(image, 0, 29), kShadow); // and so does the bottom edge
    EXPECT_EQ(At(image, 39, 29), kShadow);
    EXPECT_EQ(At(image, 1, 1), kGround);
    EXPECT_EQ(At(image, 16, 11), kRed);

    look.drawBorder = false; // a menu button
    const QImage plain = RenderSkinButton(look);
    EXPECT_EQ(At(plain, 0, 0), kGround);
    EXPECT_EQ(At(plain, 39, 29), kGround);
    EXPECT_EQ(At(plain, 16, 11), kRed);
}

TEST(RenderSkinButton, PressSinksTheFrameAndMovesTheIconOnePixel)
{
    SkinButtonLook look = Look();
    look.pressed = true;
    look.hover = true;
    const QImage image = RenderSkinButton(look);
    EXPECT_EQ(At(image, 0, 0), kShadow);
    EXPECT_EQ(At(image, 0, 28), kShadow);
    EXPECT_EQ(At(image, 39, 29), kLight);
    EXPECT_EQ(At(image, 39, 0), kLight);
    EXPECT_EQ(At(image, 16, 11), kGround);
    EXPECT_EQ(At(image, 17, 12), kRed);
    EXPECT_EQ(At(image, 24, 19), kRed);
}

TEST(RenderSkinButton, ACaptionStandsRightOfTheIconAndMovesWithThePress)
{
    SkinButtonLook look = Look({80, 24});
    look.activeIcon = Solid({32, 32}, kRed);
    look.idleIcon = QImage(); // the active icon stands in
    look.caption = "&File";
    look.font = QFont("DejaVu Sans", 9);
    const QImage image = RenderSkinButton(look);
    // The icon at the margin, cut to the button's height: (24 - 32) / 2 = -4.
    EXPECT_EQ(At(image, 3, 0), kRed);
    EXPECT_EQ(At(image, 34, 23), kRed);
    EXPECT_EQ(At(image, 2, 0), kGround);
    EXPECT_EQ(At(image, 35, 0), kGround);
    // Text colour only right of margin + icon, roughly centred in what is left.
    auto textColumns = [](const QImage& img) {
        int first = -1, last = -1;
        for (int x = 0; x < img.width(); ++x)
            for (int y = 0; y < img.height(); ++y)
                if (img.pixelColor(x, y).red() > 230 && img.pixelColor(x, y).green() > 200 &&
                    img.pixelColor(x, y).blue() < 100) {
                    if (first < 0) first = x;
                    last = x;
                }
        return std::pair{first, last};
    };
    const auto [first, last] = textColumns(image);
    ASSERT_GE(first, 35);
    EXPECT_LE(std::abs((first - 35) - (79 - last)), 4);
    look.pressed = true;
    const auto [pressedFirst, pressedLast] = textColumns(RenderSkinButton(look));
    EXPECT_EQ(pressedFirst, first + 1);
    EXPECT_EQ(pressedLast, last + 1);
}

TEST(RenderSkinButton, DisabledGreysTheIconAndEmbossesTheCaption)
{
    SkinButtonLook look = Look({80, 24});
    look.disabled = true;
    look.caption = "Rip";
    look.font = QFont("DejaVu Sans", 9);
    const QImage image = RenderSkinButton(look);
    const QColor icon = At(image, 3, 8);
    EXPECT_EQ(icon.red(), icon.green()); // grey over the ground
    bool light = false, shadow = false, yellow = false;
    for (int x = 11; x < 80; ++x)
        for (int y = 0; y < 24; ++y) {
            const QColor c = At(image, x, y);
            light = light || c == kLight;
            shadow = shadow || c == kShadow;
            yellow = yellow || c == kText;
        }
    EXPECT_TRUE(light);
    EXPECT_TRUE(shadow);
    EXPECT_FALSE(yellow);
}

TEST(RenderSkinButton, TheParentsPixelsAreTheBackground)
{
    SkinButtonLook look = Look();
    look.background = Solid(look.size, QColor(0, 160, 0));
    const QImage image = RenderSkinButton(look);
    EXPECT_EQ(At(image, 5, 5), QColor(0, 160, 0));
    EXPECT_EQ(At(image, 16, 11), kIdleRed);
}

namespace
{

class SkinIconButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        parent.resize(200, 60);
        a = new CSkinIconButton(&parent);
        b = new CSkinIconButton(&parent);
        c = new CSkinIconButton(&parent);
        a->setGeometry(0, 0, 50, 40);
        b->setGeometry(60, 0, 50, 40);
        c->setGeometry(120, 0, 50, 40);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }
    static void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held)
    {
        QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(w, &event);
    }
    QWidget parent;
    CSkinIconButton *a = nullptr, *b = nullptr, *c = nullptr;
};

} // namespace

TEST_F(SkinIconButtonTest, HoverFollowsTheMouseButNotADragFromElsewhere)
{
    Mouse(a, QEvent::MouseMove, {10, 10}, Qt::NoButton, Qt::NoButton);
    EXPECT_TRUE(a->IsHovered());
    EXPECT_TRUE(a->Look().hover);
    Mouse(a, QEvent::MouseMove, {80, 10}, Qt::NoButton, Qt::NoButton); // outside
    EXPECT_FALSE(a->IsHovered());

    Mouse(a, QEvent::MouseMove, {10, 10}, Qt::NoButton, Qt::LeftButton); // arriving held
    EXPECT_FALSE(a->IsHovered());
    Mouse(a, QEvent::MouseMove, {10, 10}, Qt::NoButton, Qt::NoButton);
    Mouse(a, QEvent::MouseMove, {12, 10}, Qt::NoButton, Qt::LeftButton); // held while over it
    EXPECT_TRUE(a->IsHovered());

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(a, &leave);
    EXPECT_FALSE(a->IsHovered());

    Mouse(a, QEvent::MouseMove, {10, 10}, Qt::NoButton, Qt::NoButton);
    a->setFocus();
    b->setFocus(); // losing the focus ends the hover too
    EXPECT_FALSE(a->IsHovered());
}

TEST_F(SkinIconButtonTest, ADoubleClickCountsAsTwoClicksAndAClickTakesTheFocus)
{
    QSignalSpy clicks(a, &QAbstractButton::clicked);
    c->setFocus();
    Mouse(a, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    Mouse(a, QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton, Qt::NoButton);
    Mouse(a, QEvent::MouseButtonDblClick, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    Mouse(a, QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_TRUE(a->hasFocus());
}

TEST_F(SkinIconButtonTest, DisablingMovesTheFocusToTheNextTabStopWhereverItWas)
{
    c->setFocus();
    a->setEnabled(false);
    EXPECT_TRUE(b->hasFocus());
    c->setEnabled(false); // the chain wraps around to the first enabled button
    EXPECT_FALSE(c->hasFocus());
    EXPECT_TRUE(b->hasFocus());
    b->setEnabled(false); // nothing left: the parent takes it
    EXPECT_EQ(QApplication::focusWidget(), &parent);
    Mouse(a, QEvent::MouseMove, {10, 10}, Qt::NoButton, Qt::NoButton);
    EXPECT_FALSE(a->IsHovered());
}

TEST_F(SkinIconButtonTest, TheCachedBackgroundIsTheParentsAndIsRetakenAfterAColourChange)
{
    class Painted : public QWidget
    {
    public:
        QColor colour = QColor(255, 0, 255);

    protected:
        void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), colour); }
    } ground;
    ground.resize(100, 50);
    auto* button = new CSkinIconButton(&ground);
    button->setGeometry(10, 10, 40, 30);
    button->SetTransparent(false);
    ground.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ground));
    EXPECT_EQ(ground.grab().toImage().pixelColor(12, 12), QColor(255, 0, 255));
    EXPECT_TRUE(button->HasBackgroundCache());

    // A snapshot: the parent's new colour shows only once the cache is dropped.
    ground.colour = QColor(0, 255, 0);
    button->update();
    EXPECT_EQ(button->grab().toImage().pixelColor(2, 2), QColor(255, 0, 255));
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    button->setPalette(palette);
    EXPECT_FALSE(button->HasBackgroundCache());
    EXPECT_EQ(button->Look().backgroundColor, QColor(1, 2, 3));
    EXPECT_EQ(button->grab().toImage().pixelColor(2, 2), QColor(0, 255, 0));

    button->SetTransparent(false);
    EXPECT_FALSE(button->HasBackgroundCache());
}

TEST_F(SkinIconButtonTest, IconsTooltipsAndTheDefaultFlag)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("icon.png");
    ASSERT_TRUE(Solid({32, 32}, kRed).save(path));
    EXPECT_EQ(a->SetButtonIcon(path), 0);
    EXPECT_EQ(a->Look().activeIcon.pixelColor(5, 5), kRed);
    EXPECT_EQ(a->Look().idleIcon.pixelColor(5, 5), kIdleRed);
    EXPECT_EQ(a->SetButtonIcon(dir.filePath("missing.png")), 0);
    EXPECT_TRUE(a->Look().activeIcon.isNull()); // the icons held before are gone
    EXPECT_TRUE(a->Look().idleIcon.isNull());

    a->SetTooltipText("Rip", true);
    a->SetTooltipText(QString(), false); // a null text changes nothing
    EXPECT_EQ(a->toolTip(), "Rip");
    EXPECT_TRUE(a->IsTooltipActive());
    a->SetTooltipText("Rip", false);
    EXPECT_FALSE(a->IsTooltipActive());

    QDialog dialog;
    auto* button = new CSkinIconButton("OK", &dialog);
    auto* other = new CSkinIconButton("Other", &dialog);
    button->setDefault(true);
    EXPECT_TRUE(button->IsDefaultButton());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    other->setAutoDefault(false);
    other->setFocus();
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);
}
