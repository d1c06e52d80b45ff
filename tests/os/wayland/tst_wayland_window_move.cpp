// Moving Tolvane's windows by their face on a Wayland compositor (a headless sway), as a user
// does it: the seat's pointer pressed on the window's mover area and dragged; sway's own
// description of the window must show it moved by as much as the pointer did.
//
// Sway tiles every ordinary top-level window and moves only floating ones; xdg-shell gives a
// program no way to ask for floating, so the test has sway float this program's windows as
// their user would, with a for_window rule.
#include "cmain.h"
#include "quick_paste_view.h"
#include "settings/settings_helper.h"
#include "sway_tree.h"
#include "ui_driver.h"
#include "ui_test_main.h"
#include "wayland_pointer_process.h"

#include <QJsonObject>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>

#include <algorithm>
#include <memory>

namespace {
constexpr int kTimeoutMs = 15000;

QPoint RectOrigin(const QJsonObject &rect)
{
    return {rect.value("x").toInt(), rect.value("y").toInt()};
}

// Where sway has the window.
QPoint WindowPosition(qint64 id)
{
    return RectOrigin(SwayTree::Window(id).value("rect").toObject());
}

// The item that gets a press at that point of the scene, found as the scene finds it: the
// children in reverse paint order before their parent.
QQuickItem *PressTaker(QQuickItem *item, const QPointF &scene)
{
    if (!item->isVisible() || !item->isEnabled())
        return nullptr;
    const bool inside = item->contains(item->mapFromScene(scene));
    if (item->clip() && !inside)
        return nullptr;
    QList<QQuickItem *> children = item->childItems();
    std::stable_sort(children.begin(), children.end(),
                     [](const QQuickItem *a, const QQuickItem *b) { return a->z() < b->z(); });
    for (auto child = children.crbegin(); child != children.crend(); ++child) {
        if (QQuickItem *taker = PressTaker(*child, scene))
            return taker;
    }
    // Texts take presses only on their links, which these have none of.
    return inside && (item->acceptedMouseButtons() & Qt::LeftButton) &&
                   !item->inherits("QQuickText")
               ? item
               : nullptr;
}

// A point of the mover at height y, in its own coordinates, where nothing else takes the
// press (the right-most one); null when there is none.
QPointF FreePoint(QQuickItem *mover, qreal y)
{
    constexpr qreal kMargin = 10;
    for (qreal x = mover->width() - kMargin; x > kMargin; x -= 5) {
        if (PressTaker(mover->window()->contentItem(), mover->mapToScene({x, y})) == mover)
            return {x, y};
    }
    return {};
}

// The last point at which a window saw the pointer, in the window's coordinates, and whether
// the pointer left it since.
class PointerSeen : public QObject
{
public:
    explicit PointerSeen(QWindow *wnd) : m_wnd(wnd) { m_wnd->installEventFilter(this); }
    ~PointerSeen() override { m_wnd->removeEventFilter(this); }
    bool any() const { return m_any; }
    bool left() const { return m_left; }
    QPoint last() const { return m_last; }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Enter) {
            m_last = static_cast<QEnterEvent *>(event)->windowPos().toPoint();
            m_any = true;
        } else if (event->type() == QEvent::MouseMove) {
            m_last = static_cast<QMouseEvent *>(event)->windowPos().toPoint();
            m_any = true;
        } else if (event->type() == QEvent::Leave) {
            m_left = true;
        }
        return false;
    }

private:
    QWindow *m_wnd;
    QPoint m_last;
    bool m_any = false;
    bool m_left = false;
};
} // namespace

class TestWaylandWindowMove : public QObject
{
    Q_OBJECT
private:
    // The sway id of `wnd` once it has the focus, or -1.
    qint64 focusedWindow(QQuickWindow *wnd)
    {
        if (!QTest::qWaitFor([wnd] { return wnd->isActive(); }, kTimeoutMs))
            return -1;
        const QJsonObject focused = SwayTree::FocusedWindow();
        if (qint64(focused.value("pid").toDouble()) != QCoreApplication::applicationPid() ||
            focused.value("type").toString() != "floating_con")
            return -1;
        return qint64(focused.value("id").toDouble());
    }

    // Where the window's surface is on the screen, found with the pointer: put on a point of
    // the window, it arrives at a point the window names in its own coordinates. (Sway's tree
    // says so too, but its figures shift while the window and sway settle its decoration.)
    QPoint surfaceOrigin(QQuickWindow *wnd, qint64 id)
    {
        const QJsonObject rect = SwayTree::Window(id).value("rect").toObject();
        const QPoint inside(rect.value("x").toInt() + rect.value("width").toInt() / 2,
                            rect.value("y").toInt() + rect.value("height").toInt() / 2);
        PointerSeen seen(wnd);
        if (!m_pointer->moveTo(inside) || !QTest::qWaitFor([&] { return seen.any(); }, kTimeoutMs))
            return {};
        return inside - seen.last();
    }

    // Presses on the mover at height y (in its own coordinates) where nothing else takes the
    // press, drags by `by` in a few steps and releases; checks the window moved by exactly
    // that much.
    void dragMover(QQuickWindow *wnd, qreal y, const QPoint &by)
    {
        const qint64 id = focusedWindow(wnd);
        QVERIFY2(id >= 0, "the window did not get the focus, or does not float");
        auto *mover = qobject_cast<QQuickItem *>(UiDriver::Find(wnd, "wnd_mover"));
        QVERIFY(mover);
        QVERIFY(mover->property("compositor_moves").toBool());

        const QPointF at = FreePoint(mover, y);
        QVERIFY2(!at.isNull(), "the mover is covered all along");

        const QPoint origin = surfaceOrigin(wnd, id);
        QVERIFY2(!origin.isNull(), "the pointer never reached the window");
        const QPoint before = WindowPosition(id);
        const QPoint press_at = origin + mover->mapToScene(at).toPoint();
        QVERIFY(m_pointer->moveTo(press_at));
        PointerSeen seen(wnd);
        QVERIFY(m_pointer->press());
        // The compositor takes the pointer over once the move began, and the window sees it
        // leave: only then do the pointer's motions move the window.
        QTRY_VERIFY2_WITH_TIMEOUT(seen.left(),
                                  "the press missed the mover, or the compositor took no move over",
                                  kTimeoutMs);
        constexpr int kSteps = 4;
        for (int i = 0; i < kSteps; ++i)
            QVERIFY(m_pointer->moveBy(by.x() / kSteps, by.y() / kSteps));
        QVERIFY(m_pointer->release());
        QTRY_COMPARE_WITH_TIMEOUT(WindowPosition(id), before + by, kTimeoutMs);
        // The compositor had the pointer: nothing in the window may wait for a release.
        QVERIFY(!mover->property("pressed").toBool());
        QCOMPARE(surfaceOrigin(wnd, id), origin + by);

        // The move ended with the release: the pointer alone moves the window no more.
        QVERIFY(m_pointer->moveBy(30, 30));
        QCOMPARE(WindowPosition(id), before + by);
    }

    std::unique_ptr<WaylandPointerProcess> m_pointer;
    CMain *m_main = nullptr;
    QQuickWindow *m_wnd = nullptr;

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        m_pointer =
            std::make_unique<WaylandPointerProcess>(qEnvironmentVariable("WAYLAND_POINTER"));
        QVERIFY2(m_pointer->start(QGuiApplication::primaryScreen()->size()),
                 "the seat got no pointer");

        CSettingsHelper *ini = CSettingsHelper::instance();
        ini->setIni(ini->app_version(), "1.5.0"); // not a first run
        ini->setIni(ini->app_show_tray(), false);
        // Sway floats this program's windows from their first showing on.
        SwayTree::Run("swaymsg", {QStringLiteral("for_window [pid=%1] floating enable")
                                      .arg(QCoreApplication::applicationPid())});
        m_main = new CMain(this);
        m_main->setReleaseHiddenAfter(0); // the test holds on to the windows
        QVERIFY(m_main->initialise());
        m_wnd = m_main->mainWindow();
        QVERIFY(m_wnd);
    }

    void mainWindowMovesByItsTitleBar()
    {
        QMetaObject::invokeMethod(m_wnd, "ensureVisible");
        QTRY_VERIFY_WITH_TIMEOUT(m_wnd->isVisible(), kTimeoutMs);
        dragMover(m_wnd, 12, QPoint(-80, 60)); // the title bar
    }

    void quickPasteWindowMovesByItsSearchBox()
    {
        QMetaObject::invokeMethod(m_main, "ShowQuickWnd");
        QTRY_VERIFY_WITH_TIMEOUT(m_main->quickPasteView(), kTimeoutMs);
        QQuickWindow *qp = m_main->quickPasteView()->window();
        QTRY_VERIFY_WITH_TIMEOUT(qp->isVisible(), kTimeoutMs);
        dragMover(qp, 27, QPoint(120, -40)); // the search box
    }

    // A failed drag leaves no button down for the next.
    void cleanup() { m_pointer->release(); }

    void cleanupTestCase()
    {
        delete m_main;
        m_main = nullptr;
        m_pointer.reset();
    }
};

TOLVANE_UI_TEST_MAIN(TestWaylandWindowMove)

#include "tst_wayland_window_move.moc"
