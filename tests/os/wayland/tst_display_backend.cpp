// The choice of the display backend before the application exists: X11 through XWayland
// where the compositor would hide the clipboard from a Wayland client, unless the user chose.
// The compositor is asked for real, here one of the test's own that lists what it is told.
#include "bare_compositor.h"
#include "os/display_backend.h"

#include <QTemporaryDir>
#include <QtTest>

#include <vector>

namespace {
void SetOrUnset(const char *name, const QByteArray &value)
{
    if (value.isEmpty())
        qunsetenv(name);
    else
        qputenv(name, value);
}
} // namespace

class TestDisplayBackend : public QObject
{
    Q_OBJECT
private:
    // The choice for this compositor and environment; QT_QPA_PLATFORM afterwards.
    QByteArray chooseWith(const QList<QByteArray> &offered, const QByteArray &display,
                          const QByteArray &platform, std::vector<const char *> args = {"tolvane"})
    {
        BareCompositor compositor(offered);
        if (compositor.socketName().isEmpty())
            return "no compositor";
        qputenv("WAYLAND_DISPLAY", compositor.socketName());
        SetOrUnset("DISPLAY", display);
        SetOrUnset("QT_QPA_PLATFORM", platform);
        DisplayBackend::ChooseBeforeStart(int(args.size()), const_cast<char **>(args.data()));
        return qgetenv("QT_QPA_PLATFORM");
    }

    QTemporaryDir m_runtime;

private slots:
    void initTestCase()
    {
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
    }

    void choice_data()
    {
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<bool>("forced");
        QTest::addColumn<bool>("dataControl");
        QTest::addColumn<bool>("xDisplay");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("GNOME with XWayland") << true << false << false << true << QByteArray("xcb");
        QTest::newRow("GNOME without XWayland") << true << false << false << false << QByteArray();
        QTest::newRow("the user chose") << true << true << false << true << QByteArray();
        QTest::newRow("Plasma, sway") << true << false << true << true << QByteArray();
        QTest::newRow("X11 session") << false << false << false << true << QByteArray();
    }

    void choice()
    {
        QFETCH(bool, wayland);
        QFETCH(bool, forced);
        QFETCH(bool, dataControl);
        QFETCH(bool, xDisplay);
        QFETCH(QByteArray, expected);
        QCOMPARE(DisplayBackend::Choose({wayland, forced, dataControl, xDisplay}), expected);
    }

    void platformArgument()
    {
        std::vector<const char *> plain = {"tolvane", "--verbose"};
        std::vector<const char *> split = {"tolvane", "-platform", "wayland"};
        std::vector<const char *> joined = {"tolvane", "--platform=xcb"};
        QVERIFY(!DisplayBackend::PlatformArgument(int(plain.size()),
                                                  const_cast<char **>(plain.data())));
        QVERIFY(
            DisplayBackend::PlatformArgument(int(split.size()), const_cast<char **>(split.data())));
        QVERIFY(DisplayBackend::PlatformArgument(int(joined.size()),
                                                 const_cast<char **>(joined.data())));
    }

    void theCompositorIsAsked()
    {
        const QByteArray wlr = "zwlr_data_control_manager_v1";
        const QByteArray other = "wl_shm";
        // Nothing to follow the clipboard with, XWayland there: X11.
        QCOMPARE(chooseWith({other}, ":5", {}), QByteArray("xcb"));
        QCOMPARE(chooseWith({wlr}, ":5", {}), QByteArray());
        // The successor protocol is of no use to the watcher, which speaks the wlroots one.
        QCOMPARE(chooseWith({"ext_data_control_manager_v1"}, ":5", {}), QByteArray("xcb"));
        QCOMPARE(chooseWith({}, {}, {}), QByteArray());
        QCOMPARE(chooseWith({}, ":5", "wayland"), QByteArray("wayland"));
        QCOMPARE(chooseWith({}, ":5", {}, {"tolvane", "-platform", "wayland"}), QByteArray());
    }

    void noCompositorKeepsQtsChoice()
    {
        qputenv("WAYLAND_DISPLAY", "no-such-compositor");
        qputenv("DISPLAY", ":5");
        qunsetenv("QT_QPA_PLATFORM");
        const char *args[] = {"tolvane"};
        DisplayBackend::ChooseBeforeStart(1, const_cast<char **>(args));
        QVERIFY(qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"));
    }
};

QTEST_GUILESS_MAIN(TestDisplayBackend)
#include "tst_display_backend.moc"
