// The foreground window and its screen, with real windows under the session's window
// manager, which reparents them into frames (so their root position must be translated).
#include "isolated_env.h"
#include "os/os_abstract.h"
#include "os/x11/x11_active_window.h"

#include <QScreen>
#include <QWidget>

class TestForegroundScreen : public QObject
{
    Q_OBJECT
private slots:
    void activeWindowIsFollowed();
    void noActiveWindowMeansPrimary();

private:
    static bool activate(QWidget *widget);
};

bool TestForegroundScreen::activate(QWidget *widget)
{
    widget->show();
    widget->activateWindow();
    return QTest::qWaitFor([widget] {
        return widget->isActiveWindow() && X11ActiveWindowGeometry() == widget->geometry();
    });
}

void TestForegroundScreen::activeWindowIsFollowed()
{
    QWidget first;
    first.setGeometry(60, 80, 300, 200);
    QVERIFY(activate(&first));
    QCOMPARE(X11ActiveWindowGeometry().size(), QSize(300, 200));

    QWidget second;
    second.setGeometry(420, 310, 250, 150);
    QVERIFY(activate(&second));
    // The two windows sit apart, so following the active one shows in the position.
    QVERIFY(!first.geometry().intersects(second.geometry()));
    QCOMPARE(X11ActiveWindowGeometry(), second.geometry());

    QScreen *screen = OsInstance()->ForegroundScreen();
    QVERIFY(screen);
    QVERIFY(screen->geometry().contains(second.geometry().center()));
    QCOMPARE(screen, second.screen());

    QVERIFY(activate(&first));
    QCOMPARE(X11ActiveWindowGeometry(), first.geometry());
    screen = OsInstance()->ForegroundScreen();
    QVERIFY(screen);
    QVERIFY(screen->geometry().contains(first.geometry().center()));
}

void TestForegroundScreen::noActiveWindowMeansPrimary()
{
    {
        QWidget window;
        window.setGeometry(100, 100, 200, 100);
        QVERIFY(activate(&window));
    }
    // The window manager clears the active window once the last one is gone.
    QTRY_VERIFY(X11ActiveWindowGeometry().isNull());
    QCOMPARE(OsInstance()->ForegroundScreen(), QGuiApplication::primaryScreen());
}

TOLVANE_TEST_MAIN(TestForegroundScreen)
#include "tst_foreground_screen.moc"
