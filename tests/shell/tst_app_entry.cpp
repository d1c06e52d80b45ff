// Start-up pieces of the entry: identity, first-run theme, signals that end the loop.
#include "app_entry.h"
#include "isolated_env.h"
#include "os/unix_signal_quit.h"
#include "settings/app_identity.h"
#include "settings/settings_helper.h"

#include <QProcess>
#include <QTextStream>
#include <QTimer>

#include <csignal>

namespace {
const QString kChildArg = QStringLiteral("--signal-child");
} // namespace

class TestAppEntry : public QObject
{
    Q_OBJECT
private:
    CSettingsHelper *ini() { return CSettingsHelper::instance(); }

private slots:
    void firstRunTakesTheThemeFromTheSystem()
    {
        // No session bus here (see CMake), so no portal answers and the GTK theme decides.
        qputenv("GTK_THEME", "Adwaita:dark");
        QVERIFY(!ini()->getIni(ini()->app_version()).isValid());
        SetupApplication();
        QCOMPARE(ini()->getIni(ini()->app_theme_color()).toBool(), false);
        QCOMPARE(QCoreApplication::organizationName(), QString("Marden"));
        QCOMPARE(QCoreApplication::applicationName(), QString("Tolvane"));
        QCOMPARE(QCoreApplication::applicationVersion(), QString("1.5.0"));
        QCOMPARE(QGuiApplication::desktopFileName(), QString("org.example.tolvane"));
        QVERIFY(!QGuiApplication::quitOnLastWindowClosed());
        QCOMPARE(qApp->property(AppIdentity::kRestartProperty), QVariant(false));
        // The dark theme's tray-menu style sheet is in place.
        QVERIFY(qApp->styleSheet().contains("#222222"));
    }

    void laterRunsKeepTheUsersTheme()
    {
        ini()->setIni(ini()->app_version(), "1.5.0");
        ini()->setIni(ini()->app_theme_color(), true);
        qputenv("GTK_THEME", "Adwaita:dark");
        SetupApplication();
        QCOMPARE(ini()->getIni(ini()->app_theme_color()).toBool(), true);
        QVERIFY(qApp->styleSheet().contains("#edf2f5")); // the light sheet
        qunsetenv("GTK_THEME");
    }

    void terminatingSignalsEndTheEventLoop_data()
    {
        QTest::addColumn<int>("signo");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void terminatingSignalsEndTheEventLoop()
    {
        // A quit ends every later event loop of a process, so each signal gets its own.
        QFETCH(int, signo);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {kChildArg, QString::number(signo)});
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(QString::fromLatin1(child.readAllStandardOutput()).trimmed(),
                 QString("received %1, about to quit").arg(signo));
    }

    void earlierHandlersComeBackWithTheObject()
    {
        struct sigaction before = {};
        ::sigaction(SIGHUP, nullptr, &before);
        {
            CUnixSignalQuit handler;
            struct sigaction during = {};
            ::sigaction(SIGHUP, nullptr, &during);
            QVERIFY(during.sa_handler != before.sa_handler);
        }
        struct sigaction after = {};
        ::sigaction(SIGHUP, nullptr, &after);
        QVERIFY(after.sa_handler == before.sa_handler);
    }
};

// Child mode: runs the real event loop until a signal it sends itself ends it the way Quit
// does (aboutToQuit included), and reports what happened.
int RunSignalChild(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int signo = QString::fromLatin1(argv[2]).toInt();
    CUnixSignalQuit handler;
    QTextStream out(stdout);
    QObject::connect(&handler, &CUnixSignalQuit::sigReceived,
                     [&out](int s) { out << "received " << s << ", "; });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&out] { out << "about to quit\n"; });
    QTimer::singleShot(0, [signo] { ::raise(signo); });
    QTimer::singleShot(5000, &app, [] { QCoreApplication::exit(3); }); // guard
    return app.exec();
}

int main(int argc, char *argv[])
{
    if (argc == 3 && kChildArg == QLatin1String(argv[1]))
        return RunSignalChild(argc, argv);
    IsolatedEnvironment env;
    QApplication app(argc, argv);
    SetTestApplicationIdentity();
    TestAppEntry tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_app_entry.moc"
