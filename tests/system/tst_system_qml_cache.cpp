// End to end: whatever a QML disk cache in the user's cache folder holds (files cut short
// by a full disk, files of another build) the real program starts, captures and shows both
// windows, and leaves no cache of its own QML behind.
#include "tolvane_process.h"
#include "ui_driver.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>

#include <csignal>

using UiDriver::Run;

namespace {
const QString kListening = QStringLiteral("server listening");
const QString kCaptured = QStringLiteral("captured");
// Keys of the test's own, so that nothing else on the display reacts to them.
const QByteArray kSettings = "[General]\napp_version=1.5.0\napp_autoupdate=false\n"
                             "[keyboard]\nkey_show_clipboard=Ctrl+Alt+Shift+F9\n"
                             "key_show_quick_paste=Ctrl+Alt+Shift+F10\n";

QStringList CacheFiles(const TolvaneEnvironment &env)
{
    QStringList files;
    QDirIterator it(env.cacheDir() + "/qmlcache", {"*.qmlc", "*.jsc"}, QDir::Files);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

int WindowsShown(TolvaneProcess &app)
{
    return Run("xdotool",
               {"search", "--onlyvisible", "--pid", QString::number(app.process().processId())})
        .split('\n', Qt::SkipEmptyParts)
        .size();
}

bool WaitForWindows(TolvaneProcess &app, int n)
{
    for (int i = 0; i < 100 && app.process().state() == QProcess::Running; ++i) {
        if (WindowsShown(app) >= n)
            return true;
        QTest::qWait(100);
    }
    return false;
}

// Shows the main window, then the quick paste window, as a user does with the hot keys.
bool ShowBothWindows(TolvaneProcess &app)
{
    Run("xdotool", {"key", "--clearmodifiers", "ctrl+alt+shift+F9"});
    if (!WaitForWindows(app, 1))
        return false;
    Run("xdotool", {"key", "--clearmodifiers", "ctrl+alt+shift+F10"});
    return WaitForWindows(app, 2);
}

bool Quit(TolvaneProcess &app)
{
    return app.sendSignal(SIGTERM) && app.waitForFinished(20000) &&
           app.process().exitStatus() == QProcess::NormalExit && app.process().exitCode() == 0;
}

bool Rewrite(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
} // namespace

class TestSystemQmlCache : public QObject
{
    Q_OBJECT

private slots:
    void startsWhateverTheCacheHolds_data();
    void startsWhateverTheCacheHolds();
};

void TestSystemQmlCache::startsWhateverTheCacheHolds_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("cut short") << "cut short";
    QTest::newRow("another build") << "another build";
}

void TestSystemQmlCache::startsWhateverTheCacheHolds()
{
    QFETCH(QString, damage);
    TolvaneEnvironment env;
    QVERIFY(env.isValid());
    QVERIFY(env.writeSettings(kSettings));

    // A cache as an earlier build left it: the engine made to write one, for every QML
    // document of both windows, its own compiled in ones included.
    {
        TolvaneProcess writer(env);
        QProcessEnvironment pe = writer.process().processEnvironment();
        pe.insert("QML_FORCE_DISK_CACHE", "1");
        writer.process().setProcessEnvironment(pe);
        QVERIFY(writer.start());
        QVERIFY2(writer.waitForCount(kListening, 1, 20000), qPrintable(writer.log()));
        QVERIFY2(ShowBothWindows(writer), qPrintable(writer.log()));
        QVERIFY(Quit(writer));
    }
    const QStringList files = CacheFiles(env);
    QVERIFY2(files.size() > 10, qPrintable(files.join(' ')));

    QVector<QByteArray> contents;
    for (const QString &path : files)
        contents << ReadAll(path);
    QVector<QByteArray> damaged;
    for (int i = 0; i < files.size(); ++i) {
        // A full disk ends a file anywhere; another build's file for the same name holds
        // the code of another document.
        damaged << (damage == "cut short" ? contents.at(i).left(contents.at(i).size() / 2)
                                          : contents.at((i + 1) % files.size()));
        QVERIFY(Rewrite(files.at(i), damaged.last()));
    }

    for (int start = 0; start < 2; ++start) {
        TolvaneProcess app(env);
        QVERIFY(app.start());
        QVERIFY2(app.waitForCount(kListening, 1, 20000), qPrintable(app.log()));
        QVERIFY2(ShowBothWindows(app), qPrintable(app.log()));
        ChildProcesses xclip;
        const QByteArray text =
            "still keeping the history: " + damage.toUtf8() + ' ' + QByteArray::number(start);
        QProcess *owner = xclip.start("xclip", {"-selection", "clipboard", "-i"});
        QVERIFY(owner);
        owner->write(text);
        owner->closeWriteChannel();
        QVERIFY2(app.waitForCount(kCaptured, 1), qPrintable(app.log()));
        QVERIFY2(Quit(app), qPrintable(app.log()));
    }
    // Neither read nor rewritten: the files are as damaged as they were, and no others came.
    QCOMPARE(CacheFiles(env), files);
    for (int i = 0; i < files.size(); ++i)
        QVERIFY2(ReadAll(files.at(i)) == damaged.at(i), qPrintable(files.at(i)));
}

QTEST_GUILESS_MAIN(TestSystemQmlCache)
#include "tst_system_qml_cache.moc"
