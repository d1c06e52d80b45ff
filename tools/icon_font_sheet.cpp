// Renders every picture of the icon font into one PNG contact sheet, so a person can check
// at a glance that each glyph is present, unclipped and fits its meaning. Each cell shows the
// glyph large inside its em box (ascent, descent, advance), the same glyph at the sizes the
// interface uses on the light and the dark theme, and its name and code point.
//
// usage: tolvane_icon_sheet <psfont.ttf> <icon_glyphs.tsv> <label font.ttf> <out.png>

#include "icon_glyph_table.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <cstdio>

namespace {

constexpr int kColumns = 6;
constexpr int kCellWidth = 200;
constexpr int kCellHeight = 150;
constexpr int kLargeSize = 64;
const int kUiSizes[] = {14, 18};

const QColor kInk(0x21, 0x21, 0x21);
const QColor kDarkBackground(0x22, 0x22, 0x22);
const QColor kGuide(0x90, 0xca, 0xf9);
const QColor kMissing(0xe5, 0x39, 0x35);

// Fills the outline of code at the given size with its baseline origin at origin; false when
// the font has no glyph for it (the program would silently fall back to another font).
bool drawGlyph(QPainter &p, const QString &fontPath, char32_t code, int pixelSize,
               const QPointF &origin, const QColor &color, bool withEmBox)
{
    const QRawFont font(fontPath, pixelSize);
    const QString text = QString::fromUcs4(&code, 1);
    const QVector<quint32> indexes = font.glyphIndexesForString(text);
    if (indexes.size() != 1 || indexes.first() == 0)
        return false;
    const quint32 index = indexes.first();
    if (withEmBox) {
        const qreal advance = font.advancesForGlyphIndexes({index}).first().x();
        p.setPen(QPen(kGuide, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(origin.x(), origin.y() - font.ascent(), advance,
                          font.ascent() + font.descent()));
        p.drawLine(QPointF(origin.x() - 3, origin.y()),
                   QPointF(origin.x() + advance + 3, origin.y()));
    }
    p.fillPath(font.pathForGlyph(index).translated(origin), color);
    return true;
}

bool drawCell(QPainter &p, const QString &fontPath, const IconGlyph &glyph, const QRect &cell)
{
    const QRawFont large(fontPath, kLargeSize);
    const QPointF largeOrigin(cell.left() + 12, cell.top() + 12 + large.ascent());
    const bool present =
        drawGlyph(p, fontPath, glyph.code, kLargeSize, largeOrigin, kInk, /*withEmBox=*/true);

    // The interface sizes on both theme backgrounds, at the right of the large glyph.
    const QRect light(cell.right() - 64, cell.top() + 12, 56, 36);
    const QRect dark(light.translated(0, 40));
    p.fillRect(light, Qt::white);
    p.fillRect(dark, kDarkBackground);
    int x = 0;
    for (int size : kUiSizes) {
        drawGlyph(p, fontPath, glyph.code, size, QPointF(light.left() + 4 + x, light.top() + 26),
                  kInk, false);
        drawGlyph(p, fontPath, glyph.code, size, QPointF(dark.left() + 4 + x, dark.top() + 26),
                  Qt::white, false);
        x += size + 8;
    }

    p.setPen(present ? kInk : kMissing);
    const QRect label(cell.left() + 4, cell.bottom() - 40, cell.width() - 8, 36);
    const QString code =
        QString::number(uint(glyph.code), 16).toUpper().rightJustified(4, QLatin1Char('0'));
    p.drawText(label, Qt::AlignHCenter | Qt::AlignTop,
               QStringLiteral("%1\nU+%2%3")
                   .arg(glyph.name, code, present ? QString() : QStringLiteral("  MISSING")));
    return present;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: %s <font.ttf> <table.tsv> <label font.ttf> <out.png>\n",
                     qPrintable(args.value(0)));
        return 2;
    }
    const QString fontPath = args.at(1);
    QVector<IconGlyph> glyphs;
    QString error;
    if (!readIconGlyphTable(args.at(2), &glyphs, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const int labelFontId = QFontDatabase::addApplicationFont(args.at(3));
    if (labelFontId < 0 || !QRawFont(fontPath, kLargeSize).isValid()) {
        std::fprintf(stderr, "cannot load %s or %s\n", qPrintable(fontPath),
                     qPrintable(args.at(3)));
        return 1;
    }

    const int rows = (glyphs.size() + kColumns - 1) / kColumns;
    QImage sheet(kColumns * kCellWidth, rows * kCellHeight, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0xf5, 0xf5, 0xf5));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    QFont labelFont(QFontDatabase::applicationFontFamilies(labelFontId).value(0));
    labelFont.setPixelSize(13);
    p.setFont(labelFont);

    int missing = 0;
    for (int i = 0; i < glyphs.size(); ++i) {
        const QRect cell((i % kColumns) * kCellWidth, (i / kColumns) * kCellHeight, kCellWidth,
                         kCellHeight);
        p.setPen(QColor(0xdd, 0xdd, 0xdd));
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        if (!drawCell(p, fontPath, glyphs.at(i), cell))
            ++missing;
    }
    p.end();

    if (!sheet.save(args.at(4))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args.at(4)));
        return 1;
    }
    if (missing > 0) {
        std::fprintf(stderr, "%d glyphs of the table are missing from %s\n", missing,
                     qPrintable(fontPath));
        return 1;
    }
    return 0;
}
