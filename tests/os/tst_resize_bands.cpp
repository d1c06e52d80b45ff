// The resize-band arithmetic of frameless windows: where the bands lie with a shadow
// margin and without one, their exact boundaries, and which band wins where they meet.
#include "os/resize_bands.h"

#include <QtTest>

Q_DECLARE_METATYPE(Qt::Edges)

namespace {
const Qt::Edges kNone;
const Qt::Edges kTopLeft = Qt::TopEdge | Qt::LeftEdge;
const Qt::Edges kTopRight = Qt::TopEdge | Qt::RightEdge;
const Qt::Edges kBottomLeft = Qt::BottomEdge | Qt::LeftEdge;
const Qt::Edges kBottomRight = Qt::BottomEdge | Qt::RightEdge;
} // namespace

class TestResizeBands : public QObject
{
    Q_OBJECT
private slots:
    void bands_data();
    void bands();
};

void TestResizeBands::bands_data()
{
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<qreal>("d");
    QTest::addColumn<Qt::Edges>("edges");

    // A window at (100, 200) of 400 x 300: right edge 500, bottom edge 500 (exclusive).
    // With d = 25 the visible body spans x 125..474 and y 225..474, and the bands are the
    // five margin pixels next to it: x 120..124 and 475..479, y 220..224 and 475..479.
    const QRect w(100, 200, 400, 300);
    // The bands lie in the margin: 2 px out from the body's lower right corner is the
    // corner band, 2 px into the body is the window's own area.
    QTest::newRow("d25: 2 px out from the body's lower right corner")
        << w << QPoint(477, 477) << 25.0 << kBottomRight;
    QTest::newRow("d25: 2 px into the body's lower right corner")
        << w << QPoint(472, 472) << 25.0 << kNone;
    QTest::newRow("d25: deep in the shadow margin") << w << QPoint(110, 300) << 25.0 << kNone;
    QTest::newRow("d25: outermost pixel of the margin") << w << QPoint(499, 499) << 25.0 << kNone;
    QTest::newRow("d25: middle of the body") << w << QPoint(300, 350) << 25.0 << kNone;
    QTest::newRow("d25: left band, first pixel")
        << w << QPoint(120, 300) << 25.0 << Qt::Edges(Qt::LeftEdge);
    QTest::newRow("d25: left band, last pixel")
        << w << QPoint(124, 300) << 25.0 << Qt::Edges(Qt::LeftEdge);
    QTest::newRow("d25: just outside the left band") << w << QPoint(119, 300) << 25.0 << kNone;
    QTest::newRow("d25: body's first column") << w << QPoint(125, 300) << 25.0 << kNone;
    QTest::newRow("d25: right band, first pixel")
        << w << QPoint(475, 300) << 25.0 << Qt::Edges(Qt::RightEdge);
    QTest::newRow("d25: right band, last pixel")
        << w << QPoint(479, 300) << 25.0 << Qt::Edges(Qt::RightEdge);
    QTest::newRow("d25: just outside the right band") << w << QPoint(480, 300) << 25.0 << kNone;
    QTest::newRow("d25: body's last column") << w << QPoint(474, 300) << 25.0 << kNone;
    QTest::newRow("d25: top band, first pixel")
        << w << QPoint(300, 220) << 25.0 << Qt::Edges(Qt::TopEdge);
    QTest::newRow("d25: top band, last pixel")
        << w << QPoint(300, 224) << 25.0 << Qt::Edges(Qt::TopEdge);
    QTest::newRow("d25: above the top band") << w << QPoint(300, 219) << 25.0 << kNone;
    QTest::newRow("d25: bottom band, first pixel")
        << w << QPoint(300, 475) << 25.0 << Qt::Edges(Qt::BottomEdge);
    QTest::newRow("d25: bottom band, last pixel")
        << w << QPoint(300, 479) << 25.0 << Qt::Edges(Qt::BottomEdge);
    QTest::newRow("d25: below the bottom band") << w << QPoint(300, 480) << 25.0 << kNone;
    QTest::newRow("d25: top left corner") << w << QPoint(122, 222) << 25.0 << kTopLeft;
    QTest::newRow("d25: top right corner") << w << QPoint(477, 222) << 25.0 << kTopRight;
    QTest::newRow("d25: bottom left corner") << w << QPoint(122, 477) << 25.0 << kBottomLeft;
    // A band reaches across the whole window, margin included.
    QTest::newRow("d25: left band level with the top margin")
        << w << QPoint(122, 205) << 25.0 << Qt::Edges(Qt::LeftEdge);

    // High density: d = 50 at twice the pixels, the bands stay 5 pixels wide.
    QTest::newRow("d50: left band, first pixel")
        << w << QPoint(145, 300) << 50.0 << Qt::Edges(Qt::LeftEdge);
    QTest::newRow("d50: left of the band") << w << QPoint(144, 300) << 50.0 << kNone;
    QTest::newRow("d50: bottom right corner") << w << QPoint(454, 454) << 50.0 << kBottomRight;
    // Exactly 5: the bands are the outermost pixels, by the margin rule.
    QTest::newRow("d5: first pixel") << w << QPoint(100, 200) << 5.0 << kTopLeft;
    QTest::newRow("d5: sixth pixel") << w << QPoint(105, 300) << 5.0 << kNone;
    // A fractional margin moves the band edges to fractional places.
    QTest::newRow("d7.5: 2.5 is inside") << w << QPoint(103, 300) << 7.5 << Qt::Edges(Qt::LeftEdge);
    QTest::newRow("d7.5: 2 is outside") << w << QPoint(102, 300) << 7.5 << kNone;
    QTest::newRow("d7.5: 7 is inside") << w << QPoint(107, 300) << 7.5 << Qt::Edges(Qt::LeftEdge);
    QTest::newRow("d7.5: 8 is outside") << w << QPoint(108, 300) << 7.5 << kNone;

    // Without a margin (d < 5) the bands are the outermost 5 pixels of the window.
    QTest::newRow("d2.5: left, first pixel")
        << w << QPoint(100, 300) << 2.5 << Qt::Edges(Qt::LeftEdge);
    QTest::newRow("d2.5: left, fifth pixel")
        << w << QPoint(104, 300) << 2.5 << Qt::Edges(Qt::LeftEdge);
    QTest::newRow("d2.5: left, sixth pixel") << w << QPoint(105, 300) << 2.5 << kNone;
    QTest::newRow("d2.5: right, last pixel")
        << w << QPoint(499, 300) << 2.5 << Qt::Edges(Qt::RightEdge);
    QTest::newRow("d2.5: right, fifth from the edge")
        << w << QPoint(495, 300) << 2.5 << Qt::Edges(Qt::RightEdge);
    QTest::newRow("d2.5: right, sixth from the edge") << w << QPoint(494, 300) << 2.5 << kNone;
    QTest::newRow("d2.5: beyond the right edge") << w << QPoint(500, 300) << 2.5 << kNone;
    QTest::newRow("d2.5: top, first pixel")
        << w << QPoint(300, 200) << 2.5 << Qt::Edges(Qt::TopEdge);
    QTest::newRow("d2.5: top, sixth pixel") << w << QPoint(300, 205) << 2.5 << kNone;
    QTest::newRow("d2.5: bottom, last pixel")
        << w << QPoint(300, 499) << 2.5 << Qt::Edges(Qt::BottomEdge);
    QTest::newRow("d2.5: bottom, sixth from the edge") << w << QPoint(300, 494) << 2.5 << kNone;
    QTest::newRow("d2.5: lower right corner") << w << QPoint(498, 498) << 2.5 << kBottomRight;
    QTest::newRow("d0: top right corner") << w << QPoint(499, 200) << 0.0 << kTopRight;
    QTest::newRow("d0: bottom left corner") << w << QPoint(100, 499) << 0.0 << kBottomLeft;
    QTest::newRow("d0: middle") << w << QPoint(300, 350) << 0.0 << kNone;

    // Where opposite bands overlap on a tiny window, right beats left and top beats
    // bottom, and any corner beats any single edge.
    const QRect tiny(0, 0, 4, 4);
    QTest::newRow("tiny: all four bands, top right wins")
        << tiny << QPoint(1, 1) << 0.0 << kTopRight;
    const QRect narrow(0, 0, 4, 100);
    QTest::newRow("narrow: left and right, right wins")
        << narrow << QPoint(1, 50) << 0.0 << Qt::Edges(Qt::RightEdge);
    QTest::newRow("narrow: bottom corner, right wins")
        << narrow << QPoint(1, 98) << 0.0 << kBottomRight;
    const QRect flat(0, 0, 100, 4);
    QTest::newRow("flat: top and bottom, top wins")
        << flat << QPoint(50, 1) << 0.0 << Qt::Edges(Qt::TopEdge);
    QTest::newRow("flat: left corner, top wins") << flat << QPoint(1, 1) << 0.0 << kTopLeft;
}

void TestResizeBands::bands()
{
    QFETCH(QRect, window);
    QFETCH(QPoint, cursor);
    QFETCH(qreal, d);
    QFETCH(Qt::Edges, edges);
    QCOMPARE(ResizeBandsAt(window, cursor, d), edges);
}

QTEST_APPLESS_MAIN(TestResizeBands)
#include "tst_resize_bands.moc"
