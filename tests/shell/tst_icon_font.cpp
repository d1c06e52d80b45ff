// The fonts and logos compiled into the resources: the icon font draws every picture the
// interface names, the Roboto weights sit under the right names, and the logos have the
// sizes and contrast the windows rely on.
#include "bundled_fonts.h"
#include "icon_glyph_table.h"
#include "isolated_env.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QJSEngine>
#include <QJSValueIterator>
#include <QMap>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QResource>
#include <QSet>
#include <algorithm>
#include <limits>

namespace {

const QString kIconFont = QStringLiteral(":/font/fontello/font/psfont.ttf");
constexpr int kUiPixelSize = 18; // the quick paste numbers, the largest common icon size

QByteArray readResource(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString hex(char32_t code)
{
    return QStringLiteral("U+%1").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper();
}

quint32 glyphIndex(const QRawFont &font, char32_t code)
{
    const QVector<quint32> indexes = font.glyphIndexesForString(QString::fromUcs4(&code, 1));
    return indexes.size() == 1 ? indexes.first() : 0;
}

// The share of pixels that a viewer tells apart from the background: the image is laid over
// the background and each pixel's luminance compared with the background's.
double shareStandingOut(const QImage &image, const QColor &background)
{
    QImage shown(image.size(), QImage::Format_RGB32);
    shown.fill(background);
    QPainter(&shown).drawImage(shown.rect(), image); // an @2x image reports half its size
    const int backgroundLuma = qGray(background.rgb());
    int standing = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            standing += qAbs(qGray(shown.pixel(x, y)) - backgroundLuma) >= 40 ? 1 : 0;
    return double(standing) / (shown.width() * shown.height());
}

// Fills path stretched into a fixed square, so shapes of different sizes can be compared.
QImage drawStretched(const QPainterPath &path)
{
    const int side = 48;
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(Qt::black);
    const QRectF box = path.boundingRect();
    if (box.isEmpty())
        return image;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / box.width(), side / box.height());
    p.translate(-box.topLeft());
    p.fillPath(path, Qt::white);
    return image;
}

qint64 imageDistance(const QImage &a, const QImage &b)
{
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            sum += qAbs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
    return sum;
}

} // namespace

class TestIconFont : public QObject
{
    Q_OBJECT
private:
    QVector<IconGlyph> m_glyphs;
    QByteArray m_fontData;

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(readIconGlyphTable(QStringLiteral(TOLVANE_ICON_GLYPH_TABLE), &m_glyphs, &error),
                 qPrintable(error));
        QVERIFY(!m_glyphs.isEmpty());
        m_fontData = readResource(kIconFont);
        QVERIFY2(!m_fontData.isEmpty(), "icon font missing from the resources");
    }

    void iconFontRegistersAsPsfont()
    {
        const int id = QFontDatabase::addApplicationFont(kIconFont);
        QVERIFY(id >= 0);
        QCOMPARE(QFontDatabase::applicationFontFamilies(id), QStringList{"psfont"});
        // The interface asks for the family by name; it must resolve to this font, not a
        // substitute, or every icon falls back to some other font's glyphs.
        QFont font(QStringLiteral("psfont"));
        font.setPixelSize(kUiPixelSize);
        QCOMPARE(QFontInfo(font).family(), QString("psfont"));
        const QFontMetrics metrics(font);
        for (const IconGlyph &glyph : qAsConst(m_glyphs))
            QVERIFY2(metrics.inFontUcs4(glyph.code), qPrintable(glyph.name));
    }

    // The program hands the font database the resource bytes in place; a compressed
    // resource would cost a heap copy of the file for the program's whole life.
    void bundledFontsAreRegisteredFromUncompressedResources()
    {
        QVERIFY(BundledFonts::Paths().contains(kIconFont));
        for (const QString &path : BundledFonts::Paths()) {
            const QResource resource(path);
            QVERIFY2(resource.isValid(), qPrintable(path));
            QVERIFY2(resource.compressionAlgorithm() == QResource::NoCompression, qPrintable(path));
        }
        BundledFonts::Register();
        BundledFonts::Register(); // a second call is harmless
        QFont font(QStringLiteral("psfont"));
        QCOMPARE(QFontInfo(font).family(), QString("psfont"));
    }

    void everyGlyphIsDrawnInsideItsBox_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < m_glyphs.size(); ++i)
            QTest::newRow(qPrintable(m_glyphs.at(i).name)) << i;
    }
    void everyGlyphIsDrawnInsideItsBox()
    {
        QFETCH(int, row);
        const IconGlyph &glyph = m_glyphs.at(row);
        const QRawFont font(m_fontData, 64);
        QVERIFY(font.isValid());
        QVERIFY2(font.supportsCharacter(uint(glyph.code)), qPrintable(hex(glyph.code)));
        const quint32 index = glyphIndex(font, glyph.code);
        QVERIFY(index != 0);

        const QRectF bounds = font.pathForGlyph(index).boundingRect();
        QVERIFY2(bounds.width() > 0 && bounds.height() > 0, "empty outline");
        // Nothing may stick out of the em box, or labels and buttons would clip it.
        const qreal advance = font.advancesForGlyphIndexes({index}).first().x();
        const qreal slack = 0.5;
        QVERIFY2(bounds.left() >= -slack && bounds.right() <= advance + slack,
                 qPrintable(QStringLiteral("x %1..%2, advance %3")
                                .arg(bounds.left())
                                .arg(bounds.right())
                                .arg(advance)));
        QVERIFY2(bounds.top() >= -font.ascent() - slack &&
                     bounds.bottom() <= font.descent() + slack,
                 qPrintable(QStringLiteral("y %1..%2, ascent %3, descent %4")
                                .arg(bounds.top())
                                .arg(bounds.bottom())
                                .arg(font.ascent())
                                .arg(font.descent())));

        // At the size the interface uses the glyph still leaves ink.
        const QRawFont small(m_fontData, kUiPixelSize);
        const QImage alpha =
            small.alphaMapForGlyph(glyphIndex(small, glyph.code), QRawFont::PixelAntialiasing);
        QVERIFY(!alpha.isNull());
        bool inked = false;
        for (int y = 0; y < alpha.height() && !inked; ++y)
            for (int x = 0; x < alpha.width() && !inked; ++x)
                inked = qAlpha(alpha.pixel(x, y)) > 0 || qGray(alpha.pixel(x, y)) > 0;
        QVERIFY2(inked, "nothing visible at interface size");
    }

    void noTwoPicturesLookAlike()
    {
        // Every name stands for its own picture at the size the interface uses, e.g. the
        // unpinned and pinned tacks or two quick paste numbers.
        const QRawFont font(m_fontData, kUiPixelSize);
        QVector<QImage> pictures;
        for (const IconGlyph &glyph : qAsConst(m_glyphs))
            pictures.append(
                font.alphaMapForGlyph(glyphIndex(font, glyph.code), QRawFont::PixelAntialiasing));
        for (int i = 0; i < pictures.size(); ++i)
            for (int j = i + 1; j < pictures.size(); ++j)
                QVERIFY2(pictures.at(i) != pictures.at(j),
                         qPrintable(m_glyphs.at(i).name + " looks like " + m_glyphs.at(j).name));
    }

    void quickPasteNumbersShowTheirDigitInOneWidth()
    {
        // Each circled number must read as its own digit: the inside of the ring is matched
        // against the digits 1 to 9 of Roboto Bold, each stretched to the same box, and the
        // closest one must be the number's own.
        const QRawFont icons(m_fontData, 128);
        const QRawFont roboto(readResource(QStringLiteral(":/font/Roboto/Roboto-Bold.ttf")), 128);
        QVERIFY(roboto.isValid());
        QSet<qreal> advances;
        for (int n = 1; n <= 9; ++n) {
            const QString name = QStringLiteral("quickpaste_%1").arg(n);
            auto it = std::find_if(m_glyphs.cbegin(), m_glyphs.cend(),
                                   [&](const IconGlyph &g) { return g.name == name; });
            QVERIFY2(it != m_glyphs.cend(), qPrintable(name + " not in the table"));
            const quint32 index = glyphIndex(icons, it->code);
            advances.insert(icons.advancesForGlyphIndexes({index}).first().x());

            const QPainterPath circled = icons.pathForGlyph(index);
            const QRectF ring = circled.boundingRect();
            QPainterPath inside;
            inside.addEllipse(ring.center(), ring.width() * 0.35, ring.height() * 0.35);
            const QImage digit = drawStretched(circled.intersected(inside));

            int best = 0;
            qint64 bestDistance = std::numeric_limits<qint64>::max();
            for (int candidate = 1; candidate <= 9; ++candidate) {
                const char32_t code = U'0' + char32_t(candidate);
                const QImage reference =
                    drawStretched(roboto.pathForGlyph(glyphIndex(roboto, code)));
                const qint64 distance = imageDistance(digit, reference);
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = candidate;
                }
            }
            QVERIFY2(best == n, qPrintable(QStringLiteral("%1 reads as %2").arg(name).arg(best)));
        }
        // One width for all, so the number column of the quick paste list does not jitter.
        QCOMPARE(advances.size(), 1);
    }

    void interfaceNamesTheTableGlyphs()
    {
        // The QML side names the same pictures at the same code points as the font table.
        QByteArray script = readResource(QStringLiteral(":/qml/FontVars.js"));
        QVERIFY(!script.isEmpty());
        script.replace(".pragma library", "");
        QJSEngine engine;
        const QJSValue result = engine.evaluate(QString::fromUtf8(script));
        QVERIFY2(!result.isError(), qPrintable(result.toString()));

        QMap<QString, char32_t> named;
        QJSValueIterator it(engine.globalObject());
        while (it.hasNext()) {
            it.next();
            const QVector<uint> ucs4 = it.value().toString().toUcs4();
            if (it.value().isString() && ucs4.size() == 1 && ucs4.first() >= 0xE000 &&
                ucs4.first() <= 0xF8FF)
                named.insert(it.name(), ucs4.first());
        }
        QMap<QString, char32_t> table;
        for (const IconGlyph &glyph : qAsConst(m_glyphs))
            table.insert(glyph.name, glyph.code);
        QCOMPARE(named.keys(), table.keys());
        for (auto n = named.cbegin(); n != named.cend(); ++n)
            QVERIFY2(
                n.value() == table.value(n.key()),
                qPrintable(n.key() + ": " + hex(n.value()) + " vs " + hex(table.value(n.key()))));
    }

    void robotoWeights_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("weight");
        QTest::newRow("Regular") << ":/font/Roboto/Roboto-Regular.ttf" << 400;
        QTest::newRow("Bold") << ":/font/Roboto/Roboto-Bold.ttf" << 700;
        QTest::newRow("Light") << ":/font/Roboto/Roboto-Light.ttf" << 300;
        QTest::newRow("Black") << ":/font/Roboto/Roboto-Black.ttf" << 900;
    }
    void robotoWeights()
    {
        QFETCH(QString, path);
        QFETCH(int, weight);
        const int id = QFontDatabase::addApplicationFont(path);
        QVERIFY(id >= 0);
        QCOMPARE(QFontDatabase::applicationFontFamilies(id), QStringList{"Roboto"});
        // Each file must be the weight its name promises: the OS/2 table's usWeightClass.
        const QByteArray os2 = QRawFont(readResource(path), 16).fontTable("OS/2");
        QVERIFY(os2.size() >= 6);
        QCOMPARE(int(quint8(os2.at(4)) << 8 | quint8(os2.at(5))), weight);
    }

    void logos_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("size");
        QTest::addColumn<QColor>("background");
        QTest::newRow("app icon") << ":/logo/256.png" << 256 << QColor(Qt::white);
        QTest::newRow("light on white") << ":/logo/def.png" << 72 << QColor(Qt::white);
        QTest::newRow("light on grey") << ":/logo/def.png" << 72 << QColor("#eeeeee");
        QTest::newRow("light @2x") << ":/logo/def@2x.png" << 144 << QColor(Qt::white);
        QTest::newRow("dark") << ":/logo/def_dark.png" << 72 << QColor("#222222");
        QTest::newRow("dark @2x") << ":/logo/def_dark@2x.png" << 144 << QColor("#222222");
    }
    void logos()
    {
        QFETCH(QString, path);
        QFETCH(int, size);
        QFETCH(QColor, background);
        const QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(image.hasAlphaChannel());
        // Corners stay transparent so the mark sits on any window colour.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(size - 1, size - 1)), 0);
        // A clearly visible mark: a good part of the picture stands out from its background.
        const double share = shareStandingOut(image, background);
        QVERIFY2(share > 0.25, qPrintable(QString::number(share)));
    }

    void appIconIsInColour()
    {
        // The placeholders are grey; the application icon must not be.
        const QImage icon(QStringLiteral(":/logo/256.png"));
        int coloured = 0;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x) {
                const QColor c = QColor::fromRgba(icon.pixel(x, y));
                coloured += c.alpha() > 200 && c.hsvSaturation() > 100 ? 1 : 0;
            }
        QVERIFY(coloured > icon.width() * icon.height() / 5);
    }
};

TOLVANE_TEST_MAIN(TestIconFont)
#include "tst_icon_font.moc"
