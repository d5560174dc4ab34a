// Renders one SVG picture to a PNG of an exact pixel size, optionally flattened onto an opaque
// colour (the 24-bit bitmaps). Any complaint of the SVG renderer, and any element that Qt's SVG
// subset skips without a word, fails the build, so a picture never silently loses a part.
#include <QColor>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QString>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <cmath>
#include <cstdio>
#include <optional>

namespace
{

int g_svgComplaints = 0;

void CountComplaints(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    std::fprintf(stderr, "render_art: %s\n", qPrintable(text));
    if (type != QtDebugMsg && type != QtInfoMsg) ++g_svgComplaints;
    (void)context;
}

int Usage()
{
    std::fprintf(stderr, "usage: veltra_render_art <in.svg> <out.png> <width>x<height> "
                         "[--opaque #rrggbb]\n");
    return 2;
}

std::optional<QSize> ParseSize(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^([1-9][0-9]{0,3})x([1-9][0-9]{0,3})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch()) return std::nullopt;
    return QSize(m.captured(1).toInt(), m.captured(2).toInt());
}

// Qt's SVG renderer ignores these quietly; text would also depend on the build machine's fonts.
QString UndrawableFeature(const QString& path)
{
    static const QStringList elements = {"filter", "clipPath", "mask",   "pattern",      "text",
                                         "tspan",  "image",    "marker", "foreignObject"};
    static const QStringList attributes = {"filter", "clip-path", "mask"};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QString name = xml.name().toString();
        if (elements.contains(name)) return QStringLiteral("<%1>").arg(name);
        for (const QString& attribute : attributes)
            if (xml.attributes().hasAttribute(attribute)) return attribute;
    }
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 && args.size() != 6) return Usage();

    const QString& input = args.at(1);
    const QString& output = args.at(2);
    const std::optional<QSize> size = ParseSize(args.at(3));
    if (!size) return Usage();
    std::optional<QColor> matte;
    if (args.size() == 6) {
        const QColor colour = QColor::fromString(args.at(5));
        if (args.at(4) != QLatin1String("--opaque") || !colour.isValid()) return Usage();
        matte = colour;
    }

    qInstallMessageHandler(CountComplaints);
    QSvgRenderer renderer(input);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "render_art: %s is not a readable SVG picture\n", qPrintable(input));
        return 1;
    }
    if (const QString feature = UndrawableFeature(input); !feature.isEmpty()) {
        std::fprintf(stderr, "render_art: %s uses %s, which this renderer cannot draw\n",
                     qPrintable(input), qPrintable(feature));
        return 1;
    }
    // Stretching would distort the drawing; a picture is drawn for its own proportions.
    const QRectF box = renderer.viewBoxF();
    const double drawn = box.width() / box.height();
    const double wanted = double(size->width()) / size->height();
    if (std::abs(drawn - wanted) > 0.01 * wanted) {
        std::fprintf(stderr, "render_art: %s is drawn %gx%g, not in proportion to %dx%d\n",
                     qPrintable(input), box.width(), box.height(), size->width(), size->height());
        return 1;
    }

    QImage image(*size, QImage::Format_ARGB32_Premultiplied);
    image.fill(matte ? *matte : QColor(Qt::transparent));
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(*size)));
    }
    if (g_svgComplaints > 0) {
        std::fprintf(stderr, "render_art: %s uses SVG features this renderer cannot draw\n",
                     qPrintable(input));
        return 1;
    }

    const QImage result = matte ? image.convertToFormat(QImage::Format_RGB888)
                                : image.convertToFormat(QImage::Format_ARGB32);
    if (!result.save(output, "PNG")) {
        std::fprintf(stderr, "render_art: cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
