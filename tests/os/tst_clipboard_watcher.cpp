// The X11 clipboard watcher: quiet while the clipboard is, on the session's X server that
// reports selection changes (XFixes), and polling the owner on one that does not.
#include "isolated_env.h"
#include "os/os_abstract.h"
#include "os/x11/linux_platform_clipboard.h"
#include "os/x11/x11_selection.h"

#include <QClipboard>
#include <QProcess>
#include <QX11Info>

Q_DECLARE_METATYPE(QClipboard::Mode)

// Xlib last: its macros clash with Qt names.
#include <X11/Xlib.h>

namespace {
// Another program that puts a text on the clipboard of an X display and stays its owner
// until someone else takes the clipboard or the process is ended.
bool StartForeignOwner(QProcess &owner, const QString &display, const QString &text)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    owner.setProcessEnvironment(env);
    owner.start(TOLVANE_CLIP_OWNER, {"--format", "text/plain=" + text});
    return QTest::qWaitFor([&owner] { return owner.readAllStandardOutput().contains("ready"); },
                           10000);
}

void EndProcess(QProcess &process)
{
    process.kill();
    process.waitForFinished(5000);
}

// An X server of the test's own, started without the XFIXES extension, with the owners
// of its clipboard. This server aborts when a program that owned a selection goes away,
// so the test's connection is closed before any owner ends.
class ServerWithoutXFixes
{
public:
    ServerWithoutXFixes()
    {
        m_server.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-extension", "XFIXES"});
        if (!QTest::qWaitFor([this] { return m_server.canReadLine(); }, 10000))
            return;
        m_name = ":" + QString::fromLatin1(m_server.readLine().trimmed());
        m_dpy = XOpenDisplay(m_name.toLatin1().constData());
    }
    ~ServerWithoutXFixes()
    {
        if (m_dpy)
            XCloseDisplay(m_dpy);
        for (QProcess *owner : qAsConst(m_owners))
            EndProcess(*owner);
        qDeleteAll(m_owners);
        EndProcess(m_server);
    }
    Display *dpy() const { return m_dpy; }
    bool copy(const QString &text)
    {
        m_owners.append(new QProcess);
        return StartForeignOwner(*m_owners.last(), m_name, text);
    }

private:
    QProcess m_server;
    QString m_name;
    Display *m_dpy = nullptr;
    QList<QProcess *> m_owners;
};
} // namespace

class TestClipboardWatcher : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<QClipboard::Mode>(); }

    void theFirstCheckReportsOnceThenAllIsQuiet()
    {
        LinuxPlatformClipboard watcher;
        QSignalSpy changed(&watcher, &CClipboardAbstract::changed);
        QCOMPARE(changed.count(), 0); // never inside the constructor
        QTRY_COMPARE(changed.count(), 1);
        QVERIFY(!watcher.isPolling());
        QTest::qWait(600);
        QCOMPARE(changed.count(), 1);
    }

    void withXFixesTheProgramListensWithoutPolling()
    {
        QVERIFY(X11HasXFixes(QX11Info::display()));
        auto *watcher = qobject_cast<LinuxPlatformClipboard *>(OsInstance()->ClipboardWatcher());
        QVERIFY(watcher);
        QVERIFY(!watcher->isPolling());
        QSignalSpy changed(watcher, &CClipboardAbstract::changed);
        QTest::qWait(50); // the first check has passed
        changed.clear();
        QProcess owner;
        QVERIFY(StartForeignOwner(owner, qEnvironmentVariable("DISPLAY"), "copied elsewhere"));
        QTRY_COMPARE(changed.count(), 1);
        EndProcess(owner);
    }

    // This process's own clipboard lives on the session's display; the second server
    // reaches the watcher only through the owner it polls.
    void withoutXFixesTheOwnerIsPolled()
    {
        ServerWithoutXFixes server;
        QVERIFY(server.dpy());
        QVERIFY(!X11HasXFixes(server.dpy()));
        QCOMPARE(X11ClipboardOwner(server.dpy()), quint64(0));
        Display *dpy = server.dpy();
        LinuxPlatformClipboard watcher([dpy] { return X11ClipboardOwner(dpy); });
        QVERIFY(watcher.isPolling());
        QSignalSpy changed(&watcher, &CClipboardAbstract::changed);
        QTRY_COMPARE(changed.count(), 1); // the first check
        QTest::qWait(500);
        QCOMPARE(changed.count(), 1); // no owner, no change

        QVERIFY(server.copy("first"));
        QVERIFY(X11ClipboardOwner(dpy) != 0);
        QTRY_COMPARE(changed.count(), 2);
        QVERIFY(server.copy("second"));
        QTRY_COMPARE(changed.count(), 3);
        QTest::qWait(500);
        QCOMPARE(changed.count(), 3);
    }
};

TOLVANE_TEST_MAIN(TestClipboardWatcher)
#include "tst_clipboard_watcher.moc"
