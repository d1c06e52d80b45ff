// The paste keystroke against real applications in other processes under the session's
// window manager: it waits for the window that was active when the quick paste opened to
// have the focus again, sends the keys that window's class pastes with, and reports whether
// the target read what this process serves.
#include "isolated_env.h"
#include "os/os_abstract.h"
#include "os/paste_keys.h"
#include "paste_target_process.h"
#include "ui_driver.h"

#include <QClipboard>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>
#include <QWindow>

namespace {
// A window's id once one of `klass` is mapped ("" when none came).
QString WaitForWindowOfClass(const QString &klass)
{
    QString id;
    (void)QTest::qWaitFor(
        [&] {
            id = UiDriver::Run(QStringLiteral("xdotool"),
                               {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                QStringLiteral("--class"), klass})
                     .section(QLatin1Char('\n'), 0, 0)
                     .trimmed();
            return !id.isEmpty();
        },
        20000);
    return id;
}

void Activate(const QString &window_id)
{
    UiDriver::Run(QStringLiteral("xdotool"),
                  {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window_id});
}

QString UniqueText()
{
    return QStringLiteral("pasted-%1").arg(QUuid::createUuid().toString(QUuid::Id128).left(12));
}

void PutOnClipboard(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(text);
    QTRY_VERIFY(clipboard->ownsClipboard());
}
} // namespace

Q_DECLARE_METATYPE(PasteKeys)

class TestPasteKeystroke : public QObject
{
    Q_OBJECT
private slots:
    void keysByWindowClass_data();
    void keysByWindowClass();
    void waitsForTheRememberedWindow();
    void terminalsPaste_data();
    void terminalsPaste();
};

void TestPasteKeystroke::keysByWindowClass_data()
{
    QTest::addColumn<QString>("instance");
    QTest::addColumn<QString>("klass");
    QTest::addColumn<QString>("overrides");
    QTest::addColumn<PasteKeys>("keys");
    const PasteKeys ctrl_v;
    const PasteKeys ctrl_shift_v{Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier};
    const PasteKeys shift_insert{Qt::Key_Insert, Qt::ShiftModifier};
    const QString user = QStringLiteral("URxvt=Shift+Insert; Emacs=Ctrl+Y;Kitty=Ctrl+V;bad;=x;"
                                        "Mousepad=Nonsense+Q");
    QTest::newRow("editor") << "mousepad"
                            << "Mousepad" << QString() << ctrl_v;
    QTest::newRow("unknown") << QString() << QString() << QString() << ctrl_v;
    QTest::newRow("xfce4-terminal") << "xfce4-terminal"
                                    << "Xfce4-terminal" << QString() << ctrl_shift_v;
    QTest::newRow("gnome-terminal") << "gnome-terminal-server"
                                    << "Gnome-terminal" << QString() << ctrl_shift_v;
    QTest::newRow("konsole") << "konsole"
                             << "konsole" << QString() << ctrl_shift_v;
    QTest::newRow("kitty") << "kitty"
                           << "kitty" << QString() << ctrl_shift_v;
    QTest::newRow("alacritty") << "Alacritty"
                               << "Alacritty" << QString() << ctrl_shift_v;
    QTest::newRow("xterm") << "xterm"
                           << "XTerm" << QString() << shift_insert;
    QTest::newRow("urxvt") << "urxvt"
                           << "URxvt" << QString() << shift_insert;
    QTest::newRow("user: Emacs") << "emacs"
                                 << "Emacs" << user << PasteKeys{Qt::Key_Y, Qt::ControlModifier};
    QTest::newRow("user wins over the table") << "kitty"
                                              << "kitty" << user << ctrl_v;
    QTest::newRow("unreadable entries are skipped") << "mousepad"
                                                    << "Mousepad" << user << ctrl_v;
}

void TestPasteKeystroke::keysByWindowClass()
{
    QFETCH(QString, instance);
    QFETCH(QString, klass);
    QFETCH(QString, overrides);
    QFETCH(PasteKeys, keys);
    // Each unreadable entry is reported: "bad", "=x" and the key that does not exist.
    for (int i = 0; i < overrides.count(QLatin1String("bad")) * 3; ++i)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("paste keys: cannot read"));
    const PasteKeys got = PasteKeysForWindowClass(instance, klass, overrides);
    QCOMPARE(int(got.key), int(keys.key));
    QCOMPARE(int(got.modifiers), int(keys.modifiers));
    const PasteKeys shift_insert{Qt::Key_Insert, Qt::ShiftModifier};
    QCOMPARE(got.readsPrimary(), keys == shift_insert);
}

void TestPasteKeystroke::waitsForTheRememberedWindow()
{
    PasteTargetProcess target{QStringLiteral(PASTE_TARGET_PATH)};
    QVERIFY2(target.start(), "the paste target never got the keyboard focus");
    OsInstance()->rememberPasteTarget();
    // Meanwhile a window of ours holds the focus, and the target gets it back only later,
    // as when the window manager takes its time.
    QWindow ours;
    ours.resize(200, 100);
    ours.show();
    ours.requestActivate();
    QTRY_VERIFY(ours.isActive());
    const QString text = UniqueText();
    PutOnClipboard(text);
    QTimer::singleShot(150, [&] {
        QProcess::startDetached(QStringLiteral("xdotool"),
                                {QStringLiteral("windowactivate"), target.windowId()});
    });
    QCOMPARE(OsInstance()->SendPasteKeystroke(), PasteOutcome::Read);
    QVERIFY2(target.waitForText(text), qPrintable(target.text()));
}

void TestPasteKeystroke::terminalsPaste_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("klass");
    // Each runs `cat` into a file: what arrives on its input is what the terminal pasted.
    QTest::newRow("xterm (Shift+Insert, primary selection)")
        << "xterm" << QStringList{"-e", "sh", "-c", "cat > \"$OUT\""} << "XTerm";
    QTest::newRow("xfce4-terminal (Ctrl+Shift+V)")
        << "xfce4-terminal" << QStringList{"--disable-server", "-x", "sh", "-c", "cat > \"$OUT\""}
        << "Xfce4-terminal";
}

void TestPasteKeystroke::terminalsPaste()
{
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QFETCH(QString, klass);
    if (QStandardPaths::findExecutable(program).isEmpty())
        QSKIP("the terminal is not installed (./dev.sh test installs it)");
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    QProcess terminal;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OUT"), out);
    terminal.setProcessEnvironment(env);
    terminal.start(program, args);
    QVERIFY(terminal.waitForStarted());
    const QString window = WaitForWindowOfClass(klass);
    QVERIFY2(!window.isEmpty(), "the terminal's window never came");
    QTRY_VERIFY(QFile::exists(out)); // cat runs
    Activate(window);
    OsInstance()->rememberPasteTarget();
    // The primary selection holds something else: the paste must bring the clipboard's text.
    QGuiApplication::clipboard()->setText(QStringLiteral("stale"), QClipboard::Selection);
    const QString text = UniqueText();
    PutOnClipboard(text);
    QCOMPARE(OsInstance()->SendPasteKeystroke(), PasteOutcome::Read);
    // The line reaches cat with its end.
    UiDriver::Run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
    const auto arrived = [&out] {
        QFile file(out);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QTRY_COMPARE(arrived(), (text + "\n").toUtf8());
    terminal.terminate();
    if (!terminal.waitForFinished(5000)) {
        terminal.kill();
        terminal.waitForFinished();
    }
}

TOLVANE_TEST_MAIN(TestPasteKeystroke)
#include "tst_paste_keystroke.moc"
