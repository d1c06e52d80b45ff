// TolvaneHelper, the restart program: it waits until the running instance has let go of
// the single-instance lock, then starts the program beside it.
#include "isolated_env.h"
#include "os/single_instance.h"

#include <QDir>
#include <QFile>
#include <QProcess>

class TestRestartHelper : public QObject
{
    Q_OBJECT
private:
    QString m_dir;
    QString m_marker;

    // A copy of the helper next to a stand-in "tolvane" that records each start.
    void prepareInstall()
    {
        m_dir = QDir::tempPath() + "/install";
        QDir(m_dir).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir));
        QVERIFY(QFile::copy(TOLVANE_HELPER_BIN, m_dir + "/TolvaneHelper"));
        m_marker = QDir::tempPath() + "/starts.log";
        QFile::remove(m_marker);
        QFile app(m_dir + "/tolvane");
        QVERIFY(app.open(QIODevice::WriteOnly));
        app.write("#!/bin/sh\necho started >> \"" + QFile::encodeName(m_marker) + "\"\n");
        app.close();
        app.setPermissions(app.permissions() | QFile::ExeOwner);
    }
    int starts()
    {
        QFile f(m_marker);
        return f.open(QIODevice::ReadOnly) ? f.readAll().count("started") : 0;
    }

private slots:
    void init() { prepareInstall(); }

    void startsTheProgramOnceWhenNothingRuns()
    {
        QVERIFY(SingleInstanceLock::isFree());
        QCOMPARE(QProcess::execute(m_dir + "/TolvaneHelper", {}), 0);
        QTRY_COMPARE(starts(), 1);
        QTest::qWait(200);
        QCOMPARE(starts(), 1);
    }

    void waitsUntilTheRunningInstanceHasEnded()
    {
        // The old instance, still tearing down: it holds the lock for a moment longer.
        QProcess old_instance;
        old_instance.start(QStringLiteral("flock"),
                           {"--exclusive", SingleInstanceLock::defaultLockPath(), "sleep", "1.5"});
        QVERIFY(old_instance.waitForStarted());
        QTRY_VERIFY(!SingleInstanceLock::isFree());

        QProcess helper;
        helper.start(m_dir + "/TolvaneHelper", QStringList());
        QVERIFY(helper.waitForStarted());
        QTest::qWait(500);
        QCOMPARE(starts(), 0); // not while the old one holds the lock

        QVERIFY(old_instance.waitForFinished(5000));
        QVERIFY(helper.waitForFinished(5000));
        QCOMPARE(helper.exitCode(), 0);
        QTRY_COMPARE(starts(), 1);
    }
};

TOLVANE_TEST_MAIN(TestRestartHelper)
#include "tst_restart_helper.moc"
