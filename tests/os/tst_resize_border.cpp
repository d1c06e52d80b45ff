// Resize borders of a frameless Qt Quick window, driven by the real pointer (XTest) under
// the session's window manager: cursors over the bands, untouched clicks inside, and a
// press on a band that lets the window manager resize the window.
#include "isolated_env.h"
#include "os/linux/resize_border_filter.h"
#include "os/os_abstract.h"
#include "xtest_pointer.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>

namespace {
// No compositor runs in the test session, so the windows have no shadow margin and the
// bands are their outermost 5 pixels.
const char kWindowQml[] = R"(
import QtQuick 2.15
import QtQuick.Window 2.15
Window {
    id: root
    property int clicks: 0
    property int presses: 0
    x: 200; y: 150; width: 400; height: 300
    color: "white"
    MouseArea {
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onPressed: root.presses++
        onClicked: root.clicks++
    }
}
)";

// Controls along the edges, over a background that moves the window like the main
// window's: a scroll bar down the right edge, a button on the bottom edge.
const char kControlsQml[] = R"(
import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15
Window {
    id: root
    property int background_presses: 0
    x: 200; y: 150; width: 400; height: 300
    color: "white"
    MouseArea {
        anchors.fill: parent
        onPressed: root.background_presses++
    }
    Flickable {
        objectName: "flick"
        anchors.fill: parent
        contentHeight: 3000
        ScrollBar.vertical: ScrollBar {
            policy: ScrollBar.AlwaysOn
            width: 12
        }
    }
    Button {
        objectName: "button"
        property int clicks: 0
        x: 100; y: parent.height - height; width: 120; height: 40
        onClicked: clicks++
    }
}
)";
} // namespace

class TestResizeBorder : public QObject
{
    Q_OBJECT
private slots:
    void framelessWindowGetsBorders();
    void framedWindowIsLeftAlone();
    void bandsHugTheBodyInsideAShadowMargin();
    void controlsOnTheBandsKeepTheirPresses();

private:
    QQuickWindow *createWindow(bool frameless, const char *qml = kWindowQml);
    // Presses at `from`, moves by `by` in steps, releases.
    static void drag(const QPoint &from, const QPoint &by);
    // A drag on a band that the window manager takes over, until the window has `expected`
    // size (within 2 pixels).
    static void resizeDrag(QWindow *window, const QPoint &from, const QPoint &by,
                           const QSize &expected);
    static Qt::CursorShape cursorOf(QWindow *w) { return w->cursor().shape(); }

    QQmlEngine m_engine;
};

QQuickWindow *TestResizeBorder::createWindow(bool frameless, const char *qml)
{
    QQmlComponent component(&m_engine);
    component.setData(qml, QUrl());
    auto *window = qobject_cast<QQuickWindow *>(component.create());
    if (!window)
        return nullptr;
    if (frameless)
        window->setFlags(Qt::Window | Qt::FramelessWindowHint);
    window->show();
    window->requestActivate();
    if (!QTest::qWaitForWindowActive(window)) {
        delete window;
        return nullptr;
    }
    return window;
}

void TestResizeBorder::framelessWindowGetsBorders()
{
    QScopedPointer<QQuickWindow> window(createWindow(true));
    QVERIFY(window);
    OsInstance()->SetupMainWindow(window.data(), nullptr);
    OsInstance()->SetupMainWindow(window.data(), nullptr);
    QCOMPARE(window->findChildren<CResizeBorderFilter *>().size(), 1);

    const QRect g = window->geometry();
    const QPoint centre = g.center();
    XTestPointer::MoveTo(centre);
    QTRY_COMPARE(cursorOf(window.data()), Qt::PointingHandCursor);

    const struct
    {
        QPoint at;
        Qt::CursorShape shape;
    } bands[] = {
        {QPoint(g.x() + g.width() - 2, g.y() + g.height() - 2), Qt::SizeFDiagCursor},
        {QPoint(g.x() + 1, g.y() + 1), Qt::SizeFDiagCursor},
        {QPoint(g.x() + g.width() - 1, g.y() + 3), Qt::SizeBDiagCursor},
        {QPoint(g.x() + 4, g.y() + g.height() - 1), Qt::SizeBDiagCursor},
        {QPoint(g.x() + 2, centre.y()), Qt::SizeHorCursor},
        {QPoint(g.x() + g.width() - 5, centre.y()), Qt::SizeHorCursor},
        {QPoint(centre.x(), g.y()), Qt::SizeVerCursor},
        {QPoint(centre.x(), g.y() + g.height() - 3), Qt::SizeVerCursor},
    };
    for (const auto &band : bands) {
        XTestPointer::MoveTo(band.at);
        QTRY_COMPARE(cursorOf(window.data()), band.shape);
    }
    // Just inside the bands the window's own cursor is back.
    XTestPointer::MoveTo(QPoint(g.x() + 5, centre.y()));
    QTRY_COMPARE(cursorOf(window.data()), Qt::PointingHandCursor);

    // A click inside reaches the scene, once.
    XTestPointer::MoveTo(centre);
    XTestPointer::LeftButton(true);
    XTestPointer::LeftButton(false);
    QTRY_COMPARE(window->property("clicks").toInt(), 1);

    // A press on the right band hands the drag to the window manager, which resizes.
    const QPoint grip(g.x() + g.width() - 2, centre.y());
    XTestPointer::MoveTo(grip);
    QTRY_COMPARE(cursorOf(window.data()), Qt::SizeHorCursor);
    resizeDrag(window.data(), grip, QPoint(60, 0), QSize(460, 300));
    QTRY_VERIFY2(qAbs(window->width() - 460) <= 2, qPrintable(QString::number(window->width())));
    QCOMPARE(window->height(), 300);
    QCOMPARE(window->x(), g.x());
    // The press and its release belonged to the resize, not to the scene.
    QTest::qWait(100);
    QCOMPARE(window->property("presses").toInt(), 1);
    QCOMPARE(window->property("clicks").toInt(), 1);

    XTestPointer::MoveTo(window->geometry().center());
    QTRY_COMPARE(cursorOf(window.data()), Qt::PointingHandCursor);
}

void TestResizeBorder::framedWindowIsLeftAlone()
{
    QScopedPointer<QQuickWindow> window(createWindow(false));
    QVERIFY(window);
    OsInstance()->SetupQuickPasteWindow(window.data(), nullptr);
    const QRect g = window->geometry();
    XTestPointer::MoveTo(g.center());
    QTRY_COMPARE(cursorOf(window.data()), Qt::PointingHandCursor);
    XTestPointer::MoveTo(QPoint(g.x() + 1, g.center().y()));
    QTest::qWait(200);
    QCOMPARE(cursorOf(window.data()), Qt::PointingHandCursor);
    // A click on the outer pixels is an ordinary click.
    XTestPointer::LeftButton(true);
    XTestPointer::LeftButton(false);
    QTRY_COMPARE(window->property("clicks").toInt(), 1);
    QCOMPARE(window->width(), 400);
}

void TestResizeBorder::bandsHugTheBodyInsideAShadowMargin()
{
    QScopedPointer<QQuickWindow> window(createWindow(true));
    QVERIFY(window);
    const int margin = 25;
    OsInstance()->setWindowShadowLength(margin);
    OsInstance()->SetupQuickPasteWindow(window.data(), nullptr);
    OsInstance()->setWindowShadowLength(0);
    const QRect g = window->geometry();
    const int y = g.center().y();
    QVERIFY(qFuzzyCompare(window->devicePixelRatio(), 1.0));

    XTestPointer::MoveTo(g.center());
    QTRY_COMPARE(cursorOf(window.data()), Qt::PointingHandCursor);
    // The 5-pixel bands lie just inside the margin, next to the body.
    XTestPointer::MoveTo(QPoint(g.x() + margin - 3, y));
    QTRY_COMPARE(cursorOf(window.data()), Qt::SizeHorCursor);
    XTestPointer::MoveTo(QPoint(g.x() + g.width() - margin + 2, y));
    QTRY_COMPARE(cursorOf(window.data()), Qt::SizeHorCursor);
    // The outer pixels belong to the transparent margin, not to a band.
    XTestPointer::MoveTo(QPoint(g.x() + 2, y));
    QTRY_COMPARE(cursorOf(window.data()), Qt::PointingHandCursor);
}

void TestResizeBorder::drag(const QPoint &from, const QPoint &by)
{
    XTestPointer::MoveTo(from);
    XTestPointer::LeftButton(true);
    for (int step = 1; step <= 6; ++step) {
        QTest::qWait(30);
        XTestPointer::MoveTo(from + by * step / 6);
    }
    QTest::qWait(30);
    XTestPointer::LeftButton(false);
}

namespace {
// Counts the presses a window receives, before any other filter of the window sees them.
class PressCounter : public QObject
{
public:
    explicit PressCounter(QWindow *window) : m_window(window) { window->installEventFilter(this); }
    ~PressCounter() override { m_window->removeEventFilter(this); }
    int presses = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        presses += event->type() == QEvent::MouseButtonPress;
        return false;
    }

private:
    QWindow *m_window;
};
} // namespace

void TestResizeBorder::resizeDrag(QWindow *window, const QPoint &from, const QPoint &by,
                                  const QSize &expected)
{
    const auto reached = [&] {
        return qAbs(window->width() - expected.width()) <= 2 &&
               qAbs(window->height() - expected.height()) <= 2;
    };
    XTestPointer::MoveTo(from);
    // The window manager measures the drag from where the pointer was when the program
    // asked it to resize, which Qt takes from the last pointer event it has read: move
    // only once the press has been handled.
    PressCounter counter(window);
    XTestPointer::LeftButton(true);
    QTRY_VERIFY_WITH_TIMEOUT(counter.presses == 1, 10000);
    for (int step = 1; step <= 6; ++step) {
        QTest::qWait(30);
        XTestPointer::MoveTo(from + by * step / 6);
    }
    // The manager takes the drag over only once it has read the request, and motion from
    // before then is lost: hold the button, stepping back and forth at the end, until the
    // window follows, as a hand would.
    const QPoint end = from + by;
    QElapsedTimer held;
    held.start();
    while (!QTest::qWaitFor(reached, 200) && held.elapsed() < 15000) {
        XTestPointer::MoveTo(end - by / 6);
        QTest::qWait(30);
        XTestPointer::MoveTo(end);
    }
    XTestPointer::LeftButton(false);
}

void TestResizeBorder::controlsOnTheBandsKeepTheirPresses()
{
    QScopedPointer<QQuickWindow> window(createWindow(true, kControlsQml));
    QVERIFY(window);
    OsInstance()->SetupMainWindow(window.data(), nullptr);
    const QRect g = window->geometry();
    QObject *flick = window->findChild<QObject *>("flick");
    QObject *button = window->findChild<QObject *>("button");
    QVERIFY(flick && button);

    // Dragging the scroll bar in the right band scrolls; the window keeps its size.
    const QPoint bar(g.x() + g.width() - 2, g.y() + 40);
    XTestPointer::MoveTo(bar);
    QTest::qWait(200);
    QVERIFY(cursorOf(window.data()) != Qt::SizeHorCursor);
    drag(bar, QPoint(0, 60));
    QTRY_VERIFY(flick->property("contentY").toReal() > 100);
    QCOMPARE(window->size(), g.size());

    // A click on the button's lowest pixels clicks it.
    XTestPointer::MoveTo(QPoint(g.x() + 160, g.y() + g.height() - 2));
    XTestPointer::LeftButton(true);
    XTestPointer::LeftButton(false);
    QTRY_COMPARE(button->property("clicks").toInt(), 1);
    QCOMPARE(window->size(), g.size());
    QCOMPARE(window->property("background_presses").toInt(), 0);

    // Beside the button the bottom edge still resizes, and so does the corner at the end
    // of the scroll bar.
    resizeDrag(window.data(), QPoint(g.x() + 300, g.y() + g.height() - 2), QPoint(0, 40),
               g.size() + QSize(0, 40));
    QTRY_VERIFY2(qAbs(window->height() - 340) <= 2, qPrintable(QString::number(window->height())));
    // The window manager may still be settling the last resize: aim at the corner as the
    // window is now.
    QPoint corner;
    QVERIFY(QTest::qWaitFor(
        [&] {
            corner = window->geometry().bottomRight() - QPoint(1, 1);
            XTestPointer::MoveTo(corner);
            QTest::qWait(50);
            return cursorOf(window.data()) == Qt::SizeFDiagCursor;
        },
        5000));
    const int width_before = window->width();
    resizeDrag(window.data(), corner, QPoint(30, 0), window->size() + QSize(30, 0));
    QTRY_VERIFY2(qAbs(window->width() - width_before - 30) <= 2,
                 qPrintable(QString::number(window->width())));
    QCOMPARE(window->property("background_presses").toInt(), 0);
}

TOLVANE_TEST_MAIN(TestResizeBorder)
#include "tst_resize_border.moc"
