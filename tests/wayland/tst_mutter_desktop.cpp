// End to end on GNOME's compositor as Debian 12 ships it (a headless mutter 43), started
// as a user starts it, with no platform chosen. With XWayland there the program runs on it
// and follows copies; without XWayland it runs on Wayland, where nothing lets it follow
// the clipboard, give it hot keys or show a tray icon, and it tells the user so, truly.
#include "tolvane_process.h"

#include <QTest>
#include <QUuid>

#include <csignal>

namespace {
const QString kCaptured = QStringLiteral("captured");
const QString kChoseX11 = QStringLiteral("display backend: the compositor offers no data control, "
                                         "so Tolvane runs through XWayland");
const QString kNoDataControl =
    QStringLiteral("the compositor offers no \"zwlr_data_control_manager_v1\"");

bool Desktop(const char *name)
{
    return qEnvironmentVariable("TOLVANE_DESKTOP") == QLatin1String(name);
}
} // namespace

class TestMutterDesktop : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!Desktop("mutter") && !Desktop("mutter-xwayland"))
            QSKIP("runs inside run-in-desktop.sh mutter or mutter-xwayland");
    }

    void withXWaylandRunsThereAndFollowsCopies()
    {
        if (!Desktop("mutter-xwayland"))
            QSKIP("needs XWayland");
        TolvaneEnvironment env{QString()};
        QVERIFY(env.isValid());
        TolvaneProcess app(env);
        QVERIFY(app.start());
        QVERIFY2(app.waitForCount(kCaptured, 1, 30000), qPrintable(app.log()));
        QVERIFY2(app.log().contains(kChoseX11), qPrintable(app.log()));
        QVERIFY2(!app.log().contains(kNoDataControl), qPrintable(app.log()));
        // A copy in an X11 program while none of ours has the focus.
        const QString text = "from xclip " + QUuid::createUuid().toString(QUuid::Id128);
        ChildProcesses children;
        QProcess *xclip =
            children.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-quiet"});
        QVERIFY(xclip);
        xclip->write(text.toUtf8());
        xclip->closeWriteChannel();
        QVERIFY2(app.waitForCount(kCaptured, 2, 20000), qPrintable(app.log()));
        QVERIFY(app.sendSignal(SIGTERM));
        QVERIFY2(app.waitForFinished(15000), qPrintable(app.log()));
    }

    void aPlatformTheUserChoseIsKept()
    {
        if (!Desktop("mutter-xwayland"))
            QSKIP("needs XWayland");
        TolvaneEnvironment env(QStringLiteral("wayland"));
        TolvaneProcess app(env);
        QVERIFY(app.start());
        QVERIFY2(app.waitForCount(kNoDataControl, 1, 30000), qPrintable(app.log()));
        QVERIFY2(!app.log().contains(kChoseX11), qPrintable(app.log()));
        QVERIFY(app.sendSignal(SIGTERM));
        QVERIFY2(app.waitForFinished(15000), qPrintable(app.log()));
    }

    void withoutXWaylandTellsWhatIsMissing()
    {
        if (!Desktop("mutter"))
            QSKIP("needs a mutter without XWayland");
        TolvaneEnvironment env{QString()};
        TolvaneProcess app(env);
        QVERIFY(app.start());
        QVERIFY2(app.waitForCount(kNoDataControl, 1, 30000), qPrintable(app.log()));
        QVERIFY2(app.waitForCount("notice: This desktop does not let Tolvane follow the "
                                  "clipboard",
                                  1, 20000),
                 qPrintable(app.log()));
        // No portal hot keys and no tray here: the way to the windows is a key binding.
        QVERIFY2(app.waitForCount("notice: This desktop gives programs no global hot keys "
                                  "and shows no tray icons. To open the windows, add a key "
                                  "binding in the desktop's keyboard settings that runs "
                                  "\"tolvane quick-paste\" or \"tolvane show\".",
                                  1, 20000),
                 qPrintable(app.log()));
        QVERIFY2(!app.log().contains("from the tray icon"), qPrintable(app.log()));
        QVERIFY2(!app.log().contains(kChoseX11), qPrintable(app.log()));
        QVERIFY(app.sendSignal(SIGTERM));
        QVERIFY2(app.waitForFinished(15000), qPrintable(app.log()));
    }
};

QTEST_GUILESS_MAIN(TestMutterDesktop)
#include "tst_mutter_desktop.moc"
