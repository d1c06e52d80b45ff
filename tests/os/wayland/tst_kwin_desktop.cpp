// End to end on Plasma's compositor as Debian 12 ships it (a headless KWin 5.27 with the
// real xdg-desktop-portal-kde): the real program follows copies without the focus, gets its
// hot keys bound by the desktop with nothing set up by hand, and a quick paste chosen by
// keys reaches the program that had the focus through the RemoteDesktop portal. Keys come
// from KWin's fake input, as a keyboard would send them.
#include "tolvane_process.h"

#include <QProcess>
#include <QTest>
#include <QUuid>

#include <csignal>
#include <linux/input-event-codes.h>

namespace {
const QString kCaptured = QStringLiteral("captured");

QString Chord(std::initializer_list<int> codes)
{
    QStringList parts;
    for (int code : codes)
        parts << QString::number(code);
    return parts.join(QLatin1Char('+'));
}
} // namespace

class TestKwinDesktop : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void captureHotKeysAndPaste();

private:
    bool press(const QStringList &chords);
    bool copy(const QString &text, int expected);

    std::unique_ptr<TolvaneEnvironment> m_env;
    std::unique_ptr<TolvaneProcess> m_app;
    ChildProcesses m_children;
};

void TestKwinDesktop::initTestCase()
{
    if (qEnvironmentVariable("TOLVANE_DESKTOP") != QLatin1String("kwin"))
        QSKIP("runs inside run-in-desktop.sh kwin");
}

bool TestKwinDesktop::press(const QStringList &chords)
{
    return QProcess::execute(qEnvironmentVariable("KWIN_FAKE_KEYS"), chords) == 0;
}

bool TestKwinDesktop::copy(const QString &text, int expected)
{
    QProcess *owner = m_children.start(QStringLiteral("wl-copy"), {"--foreground", text});
    return owner && m_app->waitForCount(kCaptured, expected, 20000);
}

void TestKwinDesktop::captureHotKeysAndPaste()
{
    m_env = std::make_unique<TolvaneEnvironment>(QStringLiteral("wayland"));
    QVERIFY(m_env->isValid());
    m_app = std::make_unique<TolvaneProcess>(*m_env);
    QVERIFY(m_app->start());
    QVERIFY2(m_app->waitForCount(kCaptured, 1, 30000), qPrintable(m_app->log()));

    // Bound at the session's creation with the keys asked for, and the keyless action
    // listed too, all without the desktop's key settings opening.
    for (const char *bound : {R"(hot key "show_clipboard" bound to "Ctrl+Alt+C")",
                              R"(hot key "quick_paste" bound to "Ctrl+Alt+V")",
                              R"(hot key "quick_paste_pin" bound to "")"})
        QVERIFY2(m_app->waitForCount(QString::fromUtf8(bound), 1, 20000), qPrintable(m_app->log()));
    QVERIFY2(m_app->log().contains("Hot keys set by the desktop:\n"
                                   "Quick paste from the history: Ctrl+Alt+V\n"
                                   "Quick paste from the pinned items: no key\n"
                                   "Show the clipboard history: Ctrl+Alt+C"),
             qPrintable(m_app->log()));
    const QByteArray portal = ReadAll(qEnvironmentVariable("PORTAL_LOG"));
    QVERIFY2(portal.contains("CreateSession called"), portal.constData());
    QVERIFY2(!portal.contains("BindShortcuts called") && !portal.contains("kcm_keys"),
             portal.constData());

    // The target takes the focus; the copies come from another client meanwhile.
    QProcessEnvironment target_env = QProcessEnvironment::systemEnvironment();
    target_env.insert("QT_QPA_PLATFORM", "wayland");
    QProcess target;
    target.setProcessEnvironment(target_env);
    target.start(qEnvironmentVariable("PASTE_TARGET"), QStringList());
    QVERIFY(QTest::qWaitFor([&] { return target.readAll().contains("ready"); }, 20000));
    const QString older = "older " + QUuid::createUuid().toString(QUuid::Id128);
    const QString newer = "newer " + QUuid::createUuid().toString(QUuid::Id128);
    QVERIFY2(copy(older, 2), qPrintable(m_app->log()));
    QVERIFY2(copy(newer, 3), qPrintable(m_app->log()));

    // Quick paste of the second row: written back, Ctrl+V through the portal, and the
    // newest item back on the clipboard afterwards.
    QVERIFY(press({Chord({KEY_LEFTCTRL, KEY_LEFTALT, KEY_V})}));
    QVERIFY2(m_app->waitForCount(R"(hot key pressed: "quick_paste")", 1, 10000),
             qPrintable(m_app->log()));
    QVERIFY2(m_app->waitForCount("quick paste window active: true", 1, 20000),
             qPrintable(m_app->log()));
    QVERIFY(press({QString::number(KEY_DOWN), QString::number(KEY_ENTER)}));
    QByteArray typed;
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     typed += target.readAll();
                     return typed.contains(older.toUtf8());
                 },
                 30000),
             qPrintable(QString::fromUtf8(typed) + "\n" + m_app->log().right(4000)));
    QVERIFY2(!m_app->log().contains("Copied, press Ctrl+V"), qPrintable(m_app->log()));

    // Each bound key reaches the program: the main window opens and closes again.
    const QString main_key = Chord({KEY_LEFTCTRL, KEY_LEFTALT, KEY_C});
    QVERIFY(press({main_key}));
    QVERIFY2(m_app->waitForCount(R"(hot key pressed: "show_clipboard")", 1, 10000),
             qPrintable(m_app->log()));
    QVERIFY(press({main_key}));
    QVERIFY2(m_app->waitForCount(R"(hot key pressed: "show_clipboard")", 2, 10000),
             qPrintable(m_app->log()));

    target.kill();
    target.waitForFinished(3000);
    QVERIFY(m_app->sendSignal(SIGTERM));
    QVERIFY2(m_app->waitForFinished(15000), qPrintable(m_app->log()));
    QCOMPARE(m_app->process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestKwinDesktop)
#include "tst_kwin_desktop.moc"
