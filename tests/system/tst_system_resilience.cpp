// End to end, the real program against what desktops and other programs really do: the X
// server goes away at logout, an owner never answers, GTK programs serve text with CRLF,
// some programs offer HTML alone, office suites announce one copy twice, and a copy made
// while the program was not running is read at start. Nothing copied may be lost, the
// program must stay able to quit, and one copy must stay one item.
#include "item/history_file.h"
#include "item/qml_types.h"
#include "test_items.h"
#include "tolvane_process.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>

#include <csignal>

namespace {
const QString kCaptured = QStringLiteral("captured");
const QString kRestored = QStringLiteral("RestoreFromFile");

QVector<CBData> StoredHistory(const TolvaneEnvironment &env)
{
    QFile f(env.cacheDir() + "/clipboard/history");
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return HistoryFile::Read(f).rows;
}

bool IsPrivate(const QString &path)
{
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    return QFileInfo::exists(path) && (QFileInfo(path).permissions() & others) == 0;
}

// Not a first run: no usage text of the program's own on the clipboard.
void MarkStartedBefore(const TolvaneEnvironment &env)
{
    QVERIFY(env.writeSettings("[General]\napp_version=1.5.0\n"));
}

// Text a GTK program serves for one copy: CRLF where MIME's text rules apply, LF elsewhere.
QStringList GtkTextOffer(const QString &text)
{
    QString crlf = text;
    crlf.replace("\n", "\r\n");
    return {"--offer",     "text/plain;charset=utf-8",
            crlf,          "--offer",
            "UTF8_STRING", text,
            "--offer",     "TEXT",
            text,          "--offer",
            "STRING",      text,
            "--offer",     "text/plain",
            crlf};
}
} // namespace

class TestSystemResilience : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void copiesSurviveTheLossOfTheDisplay();
    void aNeverAnsweringOwnerDoesNotHoldUpQuitting();
    void offersAsRealProgramsMakeThem();
    void aCopyMadeWhileStoppedIsOneItem();

private:
    // x11_owner on the given display (the test's own when empty); null unless it owns the
    // clipboard.
    QProcess *startOwner(const QStringList &args, const QString &display = QString());
    static int countLines(QProcess *owner, QByteArray &seen, const QByteArray &line);
    bool quit(TolvaneProcess &app);

    ChildProcesses m_children;
};

void TestSystemResilience::cleanup()
{
    m_children.endAll();
}

QProcess *TestSystemResilience::startOwner(const QStringList &args, const QString &display)
{
    return m_children.startOwner(QStringLiteral(TOLVANE_X11_OWNER), args, display);
}

// Lines equal to `line` the owner has printed so far; `seen` collects its output.
int TestSystemResilience::countLines(QProcess *owner, QByteArray &seen, const QByteArray &line)
{
    seen += owner->readAllStandardOutput();
    return seen.split('\n').count(line);
}

bool TestSystemResilience::quit(TolvaneProcess &app)
{
    return app.sendSignal(SIGTERM) && app.waitForFinished(30000) &&
           app.process().exitStatus() == QProcess::NormalExit && app.process().exitCode() == 0;
}

// Many desktops end a session by ending the X server. The toolkit then ends the process at
// once; what was copied since the last save must be on disk all the same, and the program
// must not crash on the way out.
void TestSystemResilience::copiesSurviveTheLossOfTheDisplay()
{
    QProcess xvfb;
    xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
    QVERIFY(xvfb.waitForStarted(10000));
    QVERIFY(QTest::qWaitFor([&] { return xvfb.canReadLine(); }, 20000));
    const QString display = ":" + QString::fromLatin1(xvfb.readLine().trimmed());
    auto stop_xvfb = qScopeGuard([&] {
        xvfb.kill();
        xvfb.waitForFinished(5000);
    });

    TolvaneEnvironment env;
    MarkStartedBefore(env);
    TolvaneProcess app(env);
    QProcessEnvironment pe = env.processEnvironment();
    pe.insert("DISPLAY", display);
    app.process().setProcessEnvironment(pe);
    QVERIFY(app.start());
    QVERIFY2(app.waitForCount(kRestored, 2, 30000), qPrintable(app.log()));

    const QStringList texts{"copied just before logout", "and the very last copy"};
    for (int i = 0; i < texts.size(); ++i) {
        QVERIFY(startOwner({"--offer", "UTF8_STRING", texts.at(i)}, display));
        QVERIFY2(app.waitForCount(kCaptured, i + 1), qPrintable(app.log()));
    }
    xvfb.kill(); // the end of the session
    QVERIFY2(app.waitForFinished(30000), qPrintable(app.log()));
    QCOMPARE(app.process().exitStatus(), QProcess::NormalExit); // no crash on the way out
    QVERIFY2(app.count("display connection lost") == 1, qPrintable(app.log()));
    QCOMPARE(PlainTexts(StoredHistory(env)), (QStringList{texts.at(1), texts.at(0)}));

    // Everything the program keeps is the user's alone.
    for (const QString &path :
         {env.cacheDir(), env.cacheDir() + "/clipboard", env.cacheDir() + "/pin",
          env.cacheDir() + "/clipboard/history", env.settingsFile(), env.root() + "/run/Tolvane"})
        QVERIFY2(IsPrivate(path), qPrintable(path));
}

// An owner that takes the clipboard and never answers costs the toolkit's time-out once,
// not once per question, and a request to quit is carried out within seconds.
void TestSystemResilience::aNeverAnsweringOwnerDoesNotHoldUpQuitting()
{
    TolvaneEnvironment env;
    MarkStartedBefore(env);
    TolvaneProcess app(env);
    QVERIFY(app.start());
    QVERIFY2(app.waitForCount(kRestored, 2, 30000), qPrintable(app.log()));

    QProcess *owner = startOwner({"--never-answer", "--timeout", "120000"});
    QVERIFY(owner);
    QByteArray said;
    QVERIFY(
        QTest::qWaitFor([&] { return countLines(owner, said, "ignored TARGETS") >= 1; }, 20000));
    QElapsedTimer since_term;
    since_term.start();
    QVERIFY(app.sendSignal(SIGTERM));
    QVERIFY2(app.waitForFinished(60000), qPrintable(app.log()));
    const qint64 took = since_term.elapsed();
    QCOMPARE(app.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.process().exitCode(), 0);
    // One time-out of the toolkit (5 s) at most, plus an unhurried save.
    QVERIFY2(took < 15000, qPrintable(QString("quit took %1 ms").arg(took)));
    QCOMPARE(countLines(owner, said, "ignored TARGETS"), 1);
    QVERIFY(QFile::exists(env.cacheDir() + "/clipboard/history"));
}

void TestSystemResilience::offersAsRealProgramsMakeThem()
{
    TolvaneEnvironment env;
    MarkStartedBefore(env);
    TolvaneProcess app(env);
    QVERIFY(app.start());
    QVERIFY2(app.waitForCount(kRestored, 2, 30000), qPrintable(app.log()));
    int captured = 0;

    // A GTK text editor: the stored text is what the user wrote, and the same text from a
    // program that serves LF is the same item.
    const QString text = "first line\nsecond line";
    QVERIFY(startOwner(GtkTextOffer(text)));
    QVERIFY2(app.waitForCount(kCaptured, ++captured), qPrintable(app.log()));
    QProcess *plain_owner = startOwner({"--offer", "UTF8_STRING", text});
    QVERIFY(plain_owner);
    QByteArray read_plain;
    QVERIFY(QTest::qWaitFor(
        [&] { return countLines(plain_owner, read_plain, "request UTF8_STRING") >= 1; }, 20000));

    // A path copied from a GTK program with its line end is a file item without a CR.
    const QString path = env.root() + "/home/report.txt";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(startOwner(GtkTextOffer(path + "\n")));
    QVERIFY2(app.waitForCount(kCaptured, ++captured), qPrintable(app.log()));

    // Programs that offer HTML alone: every one of ten copies is kept, with its text.
    for (int i = 0; i < 10; ++i) {
        QVERIFY(startOwner({"--offer", "text/html", QString("<p>only <b>HTML</b> %1</p>").arg(i)}));
        QVERIFY2(app.waitForCount(kCaptured, ++captured), qPrintable(app.log()));
    }

    // An office suite announces one copy twice and answers differently the second time. A
    // read of the first announcement may be given up for the second one; either way the
    // copy is one item, holding the last answer.
    QProcess *office = startOwner({"--twice", "300", "--offer", "text/html",
                                   "<style>td{}</style><!-- %n --><table><tr><td>1</td>"
                                   "<td>2</td></tr></table>",
                                   "--offer", "UTF8_STRING", "1\t2"});
    QVERIFY(office);
    QByteArray said;
    QVERIFY(QTest::qWaitFor([&] { return countLines(office, said, "again") >= 1; }, 20000));
    QVERIFY2(app.waitForCount(kCaptured, ++captured), qPrintable(app.log()));
    QTest::qWait(500); // room for a wrong second item to appear
    const int html_answers = countLines(office, said, "request text/html");
    QVERIFY2(quit(app), qPrintable(app.log()));
    QCOMPARE(app.count(kCaptured), captured);
    const QVector<CBData> rows = StoredHistory(env);
    QCOMPARE(rows.size(), 13);
    QCOMPARE(rows.at(0).type, int(CQmlTypes::Html));
    QCOMPARE(rows.at(0).plain, QString("1\t2"));
    QVERIFY(rows.at(0).val.toString().contains(QString("<!-- %1 -->").arg(html_answers)));
    for (int i = 0; i < 10; ++i) {
        const CBData &d = rows.at(10 - i);
        QCOMPARE(d.type, int(CQmlTypes::Html));
        QCOMPARE(d.plain, QString("only HTML %1").arg(i));
    }
    QCOMPARE(rows.at(11).type, int(CQmlTypes::Urls));
    QCOMPARE(rows.at(11).val.value<QList<QUrl>>(), QList<QUrl>{QUrl::fromLocalFile(path)});
    QVERIFY(!rows.at(11).plain.contains('\r'));
    QCOMPARE(rows.at(12).type, int(CQmlTypes::Text));
    QCOMPARE(rows.at(12).plain, text);
}

// The restore reads what was copied while the program was not running, and the watcher's
// first look must not turn the same copy into a second item.
void TestSystemResilience::aCopyMadeWhileStoppedIsOneItem()
{
    QVERIFY(startOwner({"--offer", "text/html", "<p>read <!-- %n -->at start</p>", "--offer",
                        "UTF8_STRING", "read at start"}));
    TolvaneEnvironment env;
    MarkStartedBefore(env);
    TolvaneProcess app(env);
    QVERIFY(app.start());
    QVERIFY2(app.waitForCount(kCaptured, 1, 30000), qPrintable(app.log()));
    QTest::qWait(1500); // the watcher's first look comes right after the start
    QVERIFY2(quit(app), qPrintable(app.log()));
    QCOMPARE(app.count(kCaptured), 1);
    QCOMPARE(PlainTexts(StoredHistory(env)), QStringList{"read at start"});
}

QTEST_GUILESS_MAIN(TestSystemResilience)
#include "tst_system_resilience.moc"
