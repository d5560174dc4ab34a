// Every picture id leads to a picture in the resource library at the size and depth the windows
// draw it at, and the pictures are real drawings that fit where they are shown.
#include "app/res/ResourceIds.h"

#include "support/TestSupport.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{

struct Picture {
    int id;
    int width;
    int height;
    bool opaque;
};

const Picture kPictures[] = {
    {128, 32, 32, false}, {129, 595, 383, true}, {130, 23, 23, true},  {131, 23, 23, true},
    {134, 16, 16, false}, {135, 16, 16, false},  {136, 32, 32, false}, {138, 32, 32, false},
    {139, 32, 32, false}, {140, 32, 32, false},  {141, 32, 32, false}, {157, 32, 32, false},
    {165, 32, 32, false},
};

const int kButtonIcons[] = {136, 138, 139, 140, 141, 157, 165};

QImage Load(int id)
{
    return QImage(res::ResourcePath(id)).convertToFormat(QImage::Format_ARGB32);
}

int Luma(QRgb c)
{
    return (299 * qRed(c) + 587 * qGreen(c) + 114 * qBlue(c)) / 1000;
}

// The idle copy a skinned button draws: a quarter off each component, black kept.
QRgb Dimmed(QRgb c)
{
    if ((c & 0xFFFFFF) == 0) return c;
    return qRgba(qRed(c) - qRed(c) / 4, qGreen(c) - qGreen(c) / 4, qBlue(c) - qBlue(c) / 4,
                 qAlpha(c));
}

} // namespace

TEST(ResourceIds, EveryIdHasItsPictureAtItsSizeAndDepth)
{
    for (const Picture& p : kPictures) {
        SCOPED_TRACE(p.id);
        const QString path = res::ResourcePath(p.id);
        ASSERT_TRUE(path.startsWith(QStringLiteral(":/veltra/"))) << path.toStdString();
        const QImage image(path);
        ASSERT_FALSE(image.isNull()) << path.toStdString();
        EXPECT_EQ(image.width(), p.width);
        EXPECT_EQ(image.height(), p.height);
        EXPECT_EQ(image.hasAlphaChannel(), !p.opaque);
    }
}

TEST(ResourceIds, EachIdShowsTheDrawingThatNamesIt)
{
    // Every drawing says in its opening comment which picture it is, "(icon 138)" or
    // "(bitmap 129)"; the application icon's three drawings are checked by size elsewhere.
    const QDir art(QString::fromStdString(testsupport::SourceDir() + "/app/res/art"));
    const QRegularExpression declared(QStringLiteral(R"(\((?:icon|bitmap) (\d+)\))"));
    QList<int> seen;
    for (const QString& name : art.entryList({QStringLiteral("*.svg")}, QDir::Files)) {
        QFile file(art.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QRegularExpressionMatch m = declared.match(QString::fromUtf8(file.readAll()));
        ASSERT_TRUE(m.hasMatch()) << name.toStdString() << " does not say which picture it is";
        const int id = m.captured(1).toInt();
        if (id == res::AppIcon) continue;
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(seen.contains(id)) << "two drawings for " << id;
        seen.append(id);

        const QImage shipped = Load(id);
        ASSERT_FALSE(shipped.isNull()) << id;
        QSvgRenderer drawing(art.filePath(name));
        ASSERT_TRUE(drawing.isValid());
        QImage expected(shipped.size(), QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        {
            QPainter painter(&expected);
            painter.setRenderHint(QPainter::Antialiasing);
            drawing.render(&painter, QRectF(QPointF(0, 0), QSizeF(shipped.size())));
        }
        expected = expected.convertToFormat(QImage::Format_ARGB32);
        int differing = 0;
        for (int y = 0; y < shipped.height(); ++y)
            for (int x = 0; x < shipped.width(); ++x) {
                const QRgb a = shipped.pixel(x, y);
                const QRgb b = expected.pixel(x, y);
                if (std::abs(qRed(a) - qRed(b)) > 2 || std::abs(qGreen(a) - qGreen(b)) > 2 ||
                    std::abs(qBlue(a) - qBlue(b)) > 2 || std::abs(qAlpha(a) - qAlpha(b)) > 2)
                    ++differing;
            }
        EXPECT_EQ(differing, 0) << "picture " << id << " is not " << name.toStdString();
    }
    EXPECT_EQ(seen.size(), 12);
}

TEST(ResourceIds, AppIconComesInEverySizeAndUnknownIdsHaveNoPath)
{
    for (int size : res::kAppIconSizes) {
        SCOPED_TRACE(size);
        const QImage image(res::AppIconPath(size));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(size, size));
        EXPECT_TRUE(image.hasAlphaChannel());
    }
    EXPECT_EQ(res::ResourcePath(128), res::AppIconPath(32));
    EXPECT_TRUE(res::AppIconPath(24).isEmpty());
    for (int id : {0, -1, 127, 132, 133, 137, 142, 166, 32771})
        EXPECT_TRUE(res::ResourcePath(id).isEmpty()) << id;
}

TEST(ResourceIds, IconsAreDrawingsOnATransparentGround)
{
    for (int id : {128, 134, 135, 136, 138, 139, 140, 141, 157, 165}) {
        SCOPED_TRACE(id);
        const QImage image = Load(id);
        ASSERT_FALSE(image.isNull());
        int solid = 0;
        QList<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                if (qAlpha(c) != 255) continue;
                ++solid;
                if (colours.size() < 64 && !colours.contains(c)) colours.append(c);
            }
        EXPECT_EQ(qAlpha(image.pixel(0, image.height() - 1)), 0) << "corner not transparent";
        EXPECT_GE(solid, image.width() * image.height() / 16) << "hardly anything drawn";
        EXPECT_GE(colours.size(), 8) << "a flat blot, not a shaded drawing";
    }
}

TEST(ResourceIds, MenuButtonGlyphFitsTheShorterButton)
{
    // A menu button is 15 dialog units high, about 24 pixels: the centred 32-pixel icon loses
    // its top and bottom four rows.
    const QImage glyph = Load(165);
    ASSERT_FALSE(glyph.isNull());
    for (int y : {0, 1, 2, 3, 28, 29, 30, 31})
        for (int x = 0; x < glyph.width(); ++x)
            EXPECT_EQ(qAlpha(glyph.pixel(x, y)), 0) << "pixel " << x << "," << y;
}

TEST(ResourceIds, DimmedButtonIconsStandOutFromTheButtonBand)
{
    // The ground under the tool buttons, just right of the last one.
    const QImage background = Load(129);
    ASSERT_FALSE(background.isNull());
    const int band = Luma(background.pixel(396, 92));
    for (int id : kButtonIcons) {
        SCOPED_TRACE(id);
        const QImage icon = Load(id);
        int solid = 0;
        int clear = 0;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x) {
                const QRgb c = icon.pixel(x, y);
                if (qAlpha(c) != 255) continue;
                ++solid;
                if (Luma(Dimmed(c)) - band >= 60) ++clear;
            }
        ASSERT_GT(solid, 0);
        EXPECT_GE(clear * 2, solid) << clear << " of " << solid << " pixels stand out";
    }
}

TEST(ResourceIds, CloseButtonSitsSeamlesslyInTheTitleStrip)
{
    const QImage background = Load(129);
    const QImage up = Load(130);
    const QImage down = Load(131);
    ASSERT_FALSE(background.isNull() || up.isNull() || down.isNull());
    // The button's top-left corner lands at about (568, 2) of the background.
    for (const QImage* button : {&up, &down})
        for (int y : {0, 11, 22}) {
            const QRgb edge = button->pixel(0, y);
            const QRgb strip = background.pixel(560, y + 2);
            EXPECT_LE(std::abs(qRed(edge) - qRed(strip)), 6) << y;
            EXPECT_LE(std::abs(qGreen(edge) - qGreen(strip)), 6) << y;
            EXPECT_LE(std::abs(qBlue(edge) - qBlue(strip)), 6) << y;
        }
    EXPECT_NE(up, down);
}
