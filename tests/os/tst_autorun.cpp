// The XDG autostart entry: where it goes, what it says, and that a desktop's own parser
// (GLib's, through gio) starts the right program from it even on an awkward path.
#include "isolated_env.h"
#include "os/linux/autostart_entry.h"
#include "os/os_abstract.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

class TestAutorun : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void enableWritesOneEntry();
    void disableRemovesTheEntry();
    void followsXdgConfigHome();
    void execQuoting_data();
    void execQuoting();
    void desktopStartsAnAwkwardPath();

private:
    QString defaultEntry() const;
    static QStringList entryLines(const QString &file);
};

void TestAutorun::init()
{
    qunsetenv("XDG_CONFIG_HOME");
    QDir(QDir::homePath() + QStringLiteral("/.config/autostart")).removeRecursively();
}

QString TestAutorun::defaultEntry() const
{
    return QDir::homePath() + QStringLiteral("/.config/autostart/Tolvane.desktop");
}

QStringList TestAutorun::entryLines(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TestAutorun::enableWritesOneEntry()
{
    const QString exe = QCoreApplication::applicationFilePath();
    // This path needs no quoting, so the Exec line must be the path itself.
    QVERIFY2(!exe.contains(QRegularExpression(QStringLiteral("[\\s\"'\\\\<>~|&;$*?#()`%]"))),
             qPrintable(exe));

    OsInstance()->SetAutoRun(true);
    OsInstance()->SetAutoRun(true);
    const QDir dir(QFileInfo(defaultEntry()).absolutePath());
    QCOMPARE(dir.entryList(QDir::Files), QStringList{QStringLiteral("Tolvane.desktop")});
    const QStringList lines = entryLines(defaultEntry());
    QCOMPARE(lines.value(0), QStringLiteral("[Desktop Entry]"));
    QCOMPARE(lines.count(QStringLiteral("[Desktop Entry]")), 1);
    QVERIFY(lines.contains(QStringLiteral("Type=Application")));
    QVERIFY(lines.contains(QStringLiteral("Name=Tolvane")));
    QVERIFY(lines.contains(QStringLiteral("X-GNOME-Autostart-enabled=true")));
    const QStringList exec = lines.filter(QRegularExpression(QStringLiteral("^Exec=")));
    QCOMPARE(exec, QStringList{QStringLiteral("Exec=") + exe});
}

void TestAutorun::disableRemovesTheEntry()
{
    OsInstance()->SetAutoRun(true);
    QVERIFY(QFile::exists(defaultEntry()));
    OsInstance()->SetAutoRun(false);
    QVERIFY(!QFile::exists(defaultEntry()));
    // Disabling what is not there is no error and creates nothing.
    OsInstance()->SetAutoRun(false);
    QVERIFY(!QFile::exists(defaultEntry()));
}

void TestAutorun::followsXdgConfigHome()
{
    const QString config = QDir::homePath() + QStringLiteral("/elsewhere");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    OsInstance()->SetAutoRun(true);
    QVERIFY(QFile::exists(config + QStringLiteral("/autostart/Tolvane.desktop")));
    QVERIFY(!QFile::exists(defaultEntry()));
    OsInstance()->SetAutoRun(false);
    QVERIFY(!QFile::exists(config + QStringLiteral("/autostart/Tolvane.desktop")));
}

void TestAutorun::execQuoting_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("exec");
    QTest::newRow("plain") << "/usr/bin/tolvane"
                           << "/usr/bin/tolvane";
    QTest::newRow("blank") << "/opt/my apps/tolvane"
                           << "\"/opt/my apps/tolvane\"";
    // The quoting escapes $ with a backslash, and the string value escapes that backslash.
    QTest::newRow("dollar") << "/opt/$HOME/tolvane"
                            << "\"/opt/\\\\$HOME/tolvane\"";
    QTest::newRow("blank and dollar") << "/opt/a b/$x/tolvane"
                                      << "\"/opt/a b/\\\\$x/tolvane\"";
    QTest::newRow("quote, backtick, backslash") << "/opt/\"q\"/`b`/c\\d"
                                                << "\"/opt/\\\\\"q\\\\\"/\\\\`b\\\\`/c\\\\\\\\d\"";
    QTest::newRow("percent") << "/opt/100%/tolvane"
                             << "/opt/100%%/tolvane";
    QTest::newRow("single quote") << "/opt/it's/tolvane"
                                  << "\"/opt/it's/tolvane\"";
}

void TestAutorun::execQuoting()
{
    QFETCH(QString, path);
    QFETCH(QString, exec);
    QCOMPARE(AutostartEntry::ExecArgument(path), exec);
}

void TestAutorun::desktopStartsAnAwkwardPath()
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        QSKIP("gio is not installed");
    // A program at a path with a blank, a dollar sign and a quote reports where it ran from.
    const QString dir = QDir::tempPath() + QStringLiteral("/with blank/$HOME \"x\"");
    QVERIFY(QDir().mkpath(dir));
    const QString program = dir + QStringLiteral("/start me");
    const QString marker = QDir::tempPath() + QStringLiteral("/started");
    QFile script(program);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$0\" > '%1'\n").arg(marker).toUtf8());
    script.close();
    QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));

    const QString entry = QDir::tempPath() + QStringLiteral("/awkward.desktop");
    QFile file(entry);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(AutostartEntry::Contents(QStringLiteral("Tolvane"), program));
    file.close();

    QCOMPARE(QProcess::execute(gio, {QStringLiteral("launch"), entry}), 0);
    QTRY_VERIFY(QFileInfo(marker).size() > 0);
    QFile started(marker);
    QVERIFY(started.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(started.readAll()), program);
}

TOLVANE_TEST_MAIN(TestAutorun)
#include "tst_autorun.moc"
