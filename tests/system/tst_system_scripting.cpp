// End to end: the command line and the session bus interface of the real program on the
// test's X server and bus: listing, printing, copying, pasting into another program,
// adding, the pause, ignored applications, and calls that must fail without harm.
#include "paste_target_process.h"
#include "tolvane_process.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <csignal>

namespace {
const QString kService = QStringLiteral("org.example.tolvane");
const QString kPath = QStringLiteral("/org/example/tolvane");
const QString kCaptured = QStringLiteral("captured");
const QString kPausedDrop = QStringLiteral("capture paused, clipboard change not kept");
const QString kIgnoredDrop = QStringLiteral("ignored application, not kept");

// Collects the interface's HistoryChanged signals.
class HistoryWatch : public QObject
{
    Q_OBJECT
public:
    QList<int> counts;
public slots:
    void onHistoryChanged(int count) { counts << count; }
};

struct CliResult
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

QString Unique(const char *prefix)
{
    return QString::fromLatin1(prefix) + QUuid::createUuid().toString(QUuid::Id128).left(12);
}
} // namespace

class TestSystemScripting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void addListPrintCopy();
    void pasteIntoAnotherProgram();
    void pauseKeepsNothing();
    void ignoredApplications_data();
    void ignoredApplications();
    void malformedCalls_data();
    void malformedCalls();
    void hugeAndEmptyTexts();
    void interfaceMatchesItsDescription();
    void windowCommands();
    void pauseSurvivesRestartOnlyWhenAsked_data();
    void pauseSurvivesRestartOnlyWhenAsked();

private:
    CliResult cli(const QStringList &args, const QByteArray &input = QByteArray());
    // The rows of `tolvane list`, each "index<TAB>preview".
    QStringList listLines();
    bool copyWithXclip(const QString &text);
    QByteArray clipboardText();

    std::unique_ptr<TolvaneEnvironment> m_env;
    std::unique_ptr<TolvaneProcess> m_app;
    ChildProcesses m_owners;
    QTemporaryDir m_bin;
};

CliResult TestSystemScripting::cli(const QStringList &args, const QByteArray &input)
{
    QProcess p;
    QProcessEnvironment env = m_env->processEnvironment();
    // The command line needs the bus alone: no display, no platform plugin.
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TOLVANE_BIN), args);
    CliResult r;
    if (!p.waitForStarted(10000))
        return r;
    p.write(input);
    p.closeWriteChannel();
    // Serve events meanwhile: a paste may ask this process nothing, but waits are long.
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 40000))
        p.kill();
    p.waitForFinished(5000);
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QStringList TestSystemScripting::listLines()
{
    const CliResult r = cli({QStringLiteral("list")});
    if (r.code != 0)
        return {QStringLiteral("list failed: ") + QString::fromUtf8(r.err)};
    return QString::fromUtf8(r.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool TestSystemScripting::copyWithXclip(const QString &text)
{
    QProcess *p = m_owners.start(
        QStringLiteral("xclip"),
        {QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    if (!p)
        return false;
    p->write(text.toUtf8());
    p->closeWriteChannel();
    return true;
}

QByteArray TestSystemScripting::clipboardText()
{
    QProcess p;
    p.start(QStringLiteral("xclip"),
            {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    p.waitForFinished(10000);
    return p.readAllStandardOutput();
}

void TestSystemScripting::initTestCase()
{
    m_env = std::make_unique<TolvaneEnvironment>();
    QVERIFY(m_env->isValid());
    QVERIFY(m_env->writeSettings("app_version=1.5.0\n[stack]\n"
                                 "stack_ignored_apps=SecretKeeper, vaultapp\n"));

    // Before the program runs: no instance (3), and wrong usage (2) without asking anyone.
    QCOMPARE(cli({QStringLiteral("status")}).code, 3);
    QCOMPARE(cli({QStringLiteral("list")}).code, 3);
    const struct
    {
        QStringList args;
    } usage[] = {{{QStringLiteral("frobnicate")}},
                 {{QStringLiteral("print")}},
                 {{QStringLiteral("print"), QStringLiteral("x")}},
                 {{QStringLiteral("copy"), QStringLiteral("-1")}},
                 {{QStringLiteral("paste"), QStringLiteral("1"), QStringLiteral("2")}},
                 {{QStringLiteral("quick-paste"), QStringLiteral("--pins")}},
                 {{QStringLiteral("clear"), QStringLiteral("now")}}};
    for (const auto &u : usage) {
        const CliResult r = cli(u.args);
        QVERIFY2(r.code == 2, qPrintable(u.args.join(' ') + ": " + QString::number(r.code)));
        QVERIFY(r.err.contains("tolvane --help"));
    }
    const CliResult help = cli({QStringLiteral("--help")});
    QCOMPARE(help.code, 0);
    QVERIFY(help.out.contains("copy --line"));

    m_app = std::make_unique<TolvaneProcess>(*m_env);
    QVERIFY(m_app->start());
    QVERIFY(m_app->waitForCount(QStringLiteral("bus interface"), 1, 30000));
    QTRY_COMPARE_WITH_TIMEOUT(cli({QStringLiteral("status")}).code, 0, 20000);

    // A second start without a command changes nothing and ends at once.
    QProcess second;
    second.setProcessEnvironment(m_env->processEnvironment());
    second.start(QStringLiteral(TOLVANE_BIN), QStringList());
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(m_app->process().state(), QProcess::Running);

    // A copy of the owner helper under the name of an ignored application.
    QVERIFY(m_bin.isValid());
    QVERIFY(QFile::copy(QStringLiteral(TOLVANE_X11_OWNER), m_bin.path() + "/vaultapp"));
    QFile::setPermissions(m_bin.path() + "/vaultapp",
                          QFile::ReadOwner | QFile::ExeOwner | QFile::WriteOwner);
}

void TestSystemScripting::cleanupTestCase()
{
    if (m_app) {
        m_app->sendSignal(SIGTERM);
        m_app->waitForFinished(20000);
    }
}

void TestSystemScripting::cleanup()
{
    m_owners.endAll();
    cli({QStringLiteral("resume")});
}

void TestSystemScripting::addListPrintCopy()
{
    HistoryWatch watch;
    QVERIFY(QDBusConnection::sessionBus().connect(kService, kPath, kService,
                                                  QStringLiteral("HistoryChanged"), &watch,
                                                  SLOT(onHistoryChanged(int))));

    const QString first = Unique("first-");
    const QString multi = first + QStringLiteral("\nsecond line\tend\n");
    // From standard input, kept exactly; from arguments, joined by spaces.
    QCOMPARE(cli({QStringLiteral("add")}, multi.toUtf8()).code, 0);
    QCOMPARE(cli({QStringLiteral("add"), QStringLiteral("two"), QStringLiteral("words")}).code, 0);
    QStringList lines = listLines();
    QVERIFY2(lines.size() >= 2, qPrintable(lines.join('|')));
    // Subscribers hear of each change with the new count.
    QTRY_VERIFY_WITH_TIMEOUT(watch.counts.contains(lines.size()), 10000);
    QCOMPARE(lines.at(0), QStringLiteral("0\ttwo words"));
    QCOMPARE(lines.at(1), QStringLiteral("1\t") + first + QStringLiteral("⏎second line⇥end⏎"));

    CliResult r = cli({QStringLiteral("print"), QStringLiteral("1")});
    QCOMPARE(r.code, 0);
    QCOMPARE(QString::fromUtf8(r.out), multi);
    r = cli({QStringLiteral("list"), QStringLiteral("--json"), QStringLiteral("1")});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.startsWith("[{\"index\":0,\"md5\":\""));
    QVERIFY(r.out.contains("\"preview\":\"two words\",\"type\":\"text\"}]"));
    r = cli({QStringLiteral("print"), QStringLiteral("100000")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("no item 100000"), r.err.constData());

    // copy N puts it on the clipboard and at the top.
    QCOMPARE(cli({QStringLiteral("copy"), QStringLiteral("1")}).code, 0);
    QTRY_COMPARE_WITH_TIMEOUT(QString::fromUtf8(clipboardText()), multi, 10000);
    QCOMPARE(listLines().value(0), QStringLiteral("0") + lines.at(1).mid(1));

    // A line chosen from `list`, as from rofi, even after the history moved on.
    const QString chosen = listLines().value(1); // "1<TAB>two words"
    QCOMPARE(chosen, QStringLiteral("1\ttwo words"));
    QCOMPARE(cli({QStringLiteral("add"), QStringLiteral("newer")}).code, 0);
    QCOMPARE(cli({QStringLiteral("copy"), QStringLiteral("--line")}, chosen.toUtf8() + "\n").code,
             0);
    QTRY_COMPARE_WITH_TIMEOUT(clipboardText(), QByteArray("two words"), 10000);
    // Nothing chosen (rofi cancelled), or a line of something else.
    QCOMPARE(cli({QStringLiteral("copy"), QStringLiteral("--line")}, "").code, 1);
    QCOMPARE(cli({QStringLiteral("copy"), QStringLiteral("--line")}, "0\tno such preview\n").code,
             1);

    // A copy by another program comes first; delete takes it away again.
    const QString other = Unique("other-");
    QVERIFY(copyWithXclip(other));
    QTRY_COMPARE_WITH_TIMEOUT(listLines().value(0), QStringLiteral("0\t") + other, 10000);
    const int count_before = listLines().size();
    QCOMPARE(cli({QStringLiteral("delete"), QStringLiteral("0")}).code, 0);
    QCOMPARE(listLines().size(), count_before - 1);
    QVERIFY(!listLines().value(0).contains(other));
}

void TestSystemScripting::pasteIntoAnotherProgram()
{
    const QString text = Unique("pasted-");
    QCOMPARE(cli({QStringLiteral("add"), text}).code, 0);
    QCOMPARE(cli({QStringLiteral("add"), QStringLiteral("on top")}).code, 0);
    PasteTargetProcess target(QStringLiteral(PASTE_TARGET_PATH));
    QVERIFY(target.start());
    const CliResult r = cli({QStringLiteral("paste"), QStringLiteral("1")});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(target.waitForText(text));
    // The pasted item stays on the clipboard, so a Ctrl+V by hand gives the same.
    QTest::qWait(500);
    QCOMPARE(clipboardText(), text.toUtf8());
}

void TestSystemScripting::pauseKeepsNothing()
{
    QCOMPARE(cli({QStringLiteral("pause")}).code, 0);
    CliResult r = cli({QStringLiteral("status")});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("capture paused"), r.out.constData());

    const int dropped = m_app->count(kPausedDrop);
    const QString secret = Unique("while-paused-");
    QVERIFY(copyWithXclip(secret));
    QVERIFY(m_app->waitForCount(kPausedDrop, dropped + 1));
    QVERIFY(!listLines().join('\n').contains(secret));
    r = cli({QStringLiteral("add"), QStringLiteral("not now")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("paused"), r.err.constData());

    QCOMPARE(cli({QStringLiteral("resume")}).code, 0);
    QVERIFY(cli({QStringLiteral("status")}).out.contains("capture on"));
    const QString after = Unique("after-pause-");
    QVERIFY(copyWithXclip(after));
    QTRY_COMPARE_WITH_TIMEOUT(listLines().value(0), QStringLiteral("0\t") + after, 10000);
    QVERIFY(!listLines().join('\n').contains(secret));
}

void TestSystemScripting::ignoredApplications_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("kept");
    const QString owner = QStringLiteral(TOLVANE_X11_OWNER);
    QTest::newRow("owner window's class")
        << owner << QStringList{QStringLiteral("--wm-class"), QStringLiteral("SecretKeeper")}
        << false;
    QTest::newRow("class on the client leader of a helper window")
        << owner << QStringList{QStringLiteral("--leader-class"), QStringLiteral("secretkeeper")}
        << false;
    QTest::newRow("process name, no class") << QStringLiteral("vaultapp") << QStringList() << false;
    QTest::newRow("another application")
        << owner << QStringList{QStringLiteral("--wm-class"), QStringLiteral("Mousepad")} << true;
}

void TestSystemScripting::ignoredApplications()
{
    QFETCH(QString, program);
    QFETCH(QStringList, options);
    QFETCH(bool, kept);
    if (program == QLatin1String("vaultapp"))
        program = m_bin.path() + QStringLiteral("/vaultapp");
    const QString text = Unique("owner-copy-");
    const int ignored = m_app->count(kIgnoredDrop);
    const int captured = m_app->count(kCaptured);
    QVERIFY(
        m_owners.startOwner(program, options + QStringList{QStringLiteral("--offer"),
                                                           QStringLiteral("UTF8_STRING"), text}));
    if (kept) {
        QVERIFY(m_app->waitForCount(kCaptured, captured + 1));
        QCOMPARE(listLines().value(0), QStringLiteral("0\t") + text);
    } else {
        QVERIFY(m_app->waitForCount(kIgnoredDrop, ignored + 1));
        QVERIFY(!listLines().join('\n').contains(text));
    }
}

void TestSystemScripting::malformedCalls_data()
{
    QTest::addColumn<QStringList>("call");
    QTest::addColumn<QString>("error");
    const auto m = [](const char *name) {
        return kService + QLatin1Char('.') + name;
    };
    QTest::newRow("text for a number")
        << QStringList{m("GetText"), QStringLiteral("string:x")} << QStringLiteral("UnknownMethod");
    QTest::newRow("missing argument") << QStringList{m("Copy")} << QStringLiteral("UnknownMethod");
    QTest::newRow("extra argument")
        << QStringList{m("Clear"), QStringLiteral("int32:1")} << QStringLiteral("UnknownMethod");
    QTest::newRow("negative index")
        << QStringList{m("GetText"), QStringLiteral("int32:-1")} << QStringLiteral("NoSuchItem");
    QTest::newRow("largest index") << QStringList{m("Paste"), QStringLiteral("int32:2147483647")}
                                   << QStringLiteral("NoSuchItem");
    QTest::newRow("delete beyond the end")
        << QStringList{m("Delete"), QStringLiteral("int32:99999")} << QStringLiteral("NoSuchItem");
    QTest::newRow("negative range")
        << QStringList{m("List"), QStringLiteral("int32:-5"), QStringLiteral("int32:2")}
        << QStringLiteral("InvalidArgs");
    QTest::newRow("picture of a text")
        << QStringList{m("GetImage"), QStringLiteral("int32:0")} << QStringLiteral("WrongType");
    QTest::newRow("HTML of a text")
        << QStringList{m("GetHtml"), QStringLiteral("int32:0")} << QStringLiteral("WrongType");
    QTest::newRow("no such method") << QStringList{m("Explode")} << QStringLiteral("UnknownMethod");
}

void TestSystemScripting::malformedCalls()
{
    QFETCH(QStringList, call);
    QFETCH(QString, error);
    QCOMPARE(cli({QStringLiteral("add"), QStringLiteral("a plain text")}).code, 0);
    QProcess p;
    p.start(QStringLiteral("dbus-send"),
            QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply"),
                        QStringLiteral("--dest=") + kService, kPath} +
                call);
    QVERIFY(p.waitForFinished(20000));
    const QByteArray err = p.readAllStandardError();
    QVERIFY2(p.exitCode() != 0, p.readAllStandardOutput().constData());
    QVERIFY2(err.contains(error.toUtf8()), err.constData());
    QCOMPARE(m_app->process().state(), QProcess::Running);
    // The largest range lists what there is, no more.
    QDBusMessage all =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("List"));
    all << 1 << 2147483647;
    QCOMPARE(QDBusConnection::sessionBus().call(all).type(), QDBusMessage::ReplyMessage);
}

void TestSystemScripting::hugeAndEmptyTexts()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto add = [&](const QString &text) {
        QDBusMessage m =
            QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Add"));
        m << text;
        return bus.call(m, QDBus::Block, 60000);
    };
    const int before = listLines().size();
    QDBusMessage r = add(QString(16 * 1024 * 1024 + 1, QLatin1Char('x')));
    QCOMPARE(r.type(), QDBusMessage::ErrorMessage);
    QCOMPARE(r.errorName(), kService + QStringLiteral(".Error.TooLarge"));
    r = add(QString());
    QCOMPARE(r.errorName(), kService + QStringLiteral(".Error.InvalidArgs"));
    QCOMPARE(listLines().size(), before);
    // The command line refuses a text over the limit before sending it.
    const CliResult c = cli({QStringLiteral("add")}, QByteArray(16 * 1024 * 1024 + 1, 'y'));
    QCOMPARE(c.code, 1);
    QCOMPARE(listLines().size(), before);
    QCOMPARE(cli({QStringLiteral("status")}).code, 0);
}

// The description in the repository lists what the program offers, with the same types.
void TestSystemScripting::interfaceMatchesItsDescription()
{
    const auto signatures = [](const QString &xml) {
        QStringList out;
        const int start = xml.indexOf(QStringLiteral("<interface name=\"") + kService);
        const int end = xml.indexOf(QStringLiteral("</interface>"), start);
        const QString body = xml.mid(start, end - start);
        QRegularExpression member(QStringLiteral("<(method|signal) name=\"(\\w+)\"(/?)>"));
        QRegularExpression arg(QStringLiteral("<arg[^>]*type=\"([^\"]+)\"[^>]*>"));
        auto it = member.globalMatch(body);
        while (it.hasNext()) {
            const QRegularExpressionMatch mm = it.next();
            QStringList ins;
            QStringList outs;
            if (mm.captured(3).isEmpty()) {
                const int close =
                    body.indexOf(QStringLiteral("</") + mm.captured(1), mm.capturedEnd());
                const QString args = body.mid(mm.capturedEnd(), close - mm.capturedEnd());
                auto ai = arg.globalMatch(args);
                while (ai.hasNext()) {
                    const QRegularExpressionMatch am = ai.next();
                    (am.captured(0).contains(QStringLiteral("\"out\"")) ? outs : ins)
                        << am.captured(1);
                }
            }
            const QString sig = mm.captured(1) + QLatin1Char(' ') + mm.captured(2) +
                                QLatin1Char('(') + ins.join(',') + QStringLiteral(" -> ") +
                                outs.join(',');
            out << sig + QLatin1Char(')');
        }
        out.sort();
        return out;
    };
    QDBusMessage m = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Introspectable"),
        QStringLiteral("Introspect"));
    const QDBusMessage reply = QDBusConnection::sessionBus().call(m);
    QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
    const QStringList live = signatures(reply.arguments().value(0).toString());
    const QStringList described = signatures(QString::fromUtf8(
        ReadAll(QStringLiteral(TOLVANE_SOURCE_DIR "/packaging/org.example.tolvane.xml"))));
    QVERIFY(live.size() >= 18);
    QCOMPARE(live, described);
}

void TestSystemScripting::windowCommands()
{
    const auto shown = [this] {
        QProcess p;
        p.start(QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                 QString::number(m_app->process().processId()), QStringLiteral("--name"),
                 QStringLiteral("^Tolvane$")});
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput())
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
            .size();
    };
    const struct
    {
        const char *command;
        int windows;
    } steps[] = {{"show", 1},   {"show", 1},   {"hide", 0},       {"hide", 0},
                 {"toggle", 1}, {"toggle", 0}, {"quick-paste", 1}};
    QCOMPARE(shown(), 0);
    for (const auto &step : steps) {
        QCOMPARE(cli({QString::fromLatin1(step.command)}).code, 0);
        // Showing the first time loads the window; later steps are quick.
        QTRY_VERIFY2_WITH_TIMEOUT(shown() == step.windows,
                                  qPrintable(QStringLiteral("%1: %2 windows shown")
                                                 .arg(QString::fromLatin1(step.command))
                                                 .arg(shown())),
                                  20000);
    }
}

void TestSystemScripting::pauseSurvivesRestartOnlyWhenAsked_data()
{
    QTest::addColumn<bool>("keep");
    QTest::newRow("by default a start records") << false;
    QTest::newRow("stack_keep_paused") << true;
}

void TestSystemScripting::pauseSurvivesRestartOnlyWhenAsked()
{
    QFETCH(bool, keep);
    const auto restart = [this] {
        m_app->sendSignal(SIGTERM);
        QVERIFY(m_app->waitForFinished(20000));
        m_app = std::make_unique<TolvaneProcess>(*m_env);
        QVERIFY(m_app->start());
        QTRY_COMPARE_WITH_TIMEOUT(cli({QStringLiteral("status")}).code, 0, 30000);
    };
    QVERIFY(m_env->writeSettings(QByteArray("app_version=1.5.0\n[stack]\nstack_keep_paused=") +
                                 (keep ? "true" : "false") + "\n"));
    restart();
    QCOMPARE(cli({QStringLiteral("pause")}).code, 0);
    restart();
    const CliResult r = cli({QStringLiteral("status")});
    QVERIFY2(r.out.contains(keep ? "capture paused" : "capture on"), r.out.constData());
    // Paused from the start means the clipboard's contents at start are not taken either.
    const QString text = Unique("after-restart-");
    QVERIFY(copyWithXclip(text));
    if (keep) {
        QVERIFY(m_app->waitForCount(kPausedDrop, 1));
        QVERIFY(!listLines().join('\n').contains(text));
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(listLines().value(0), QStringLiteral("0\t") + text, 10000);
    }
}

QTEST_GUILESS_MAIN(TestSystemScripting)
#include "tst_system_scripting.moc"
