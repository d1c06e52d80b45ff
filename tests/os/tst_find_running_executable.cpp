// Finding a running program by its executable's name, with real processes: copies of
// sleep under the names to look for.
#include "isolated_env.h"
#include "os/os_abstract.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

class TestFindRunningExecutable : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void findsByLowerCaseBaseName_data();
    void findsByLowerCaseBaseName();
    void notRunningIsEmpty();
    void deletedExecutableDoesNotCount();

private:
    QString copyOfSleep(const QString &name);
    bool run(const QString &program);

    QTemporaryDir m_dir;
    QString m_sleep;
    QList<QProcess *> m_processes;
};

void TestFindRunningExecutable::initTestCase()
{
    m_sleep = QStandardPaths::findExecutable(QStringLiteral("sleep"));
    QVERIFY(!m_sleep.isEmpty());
    QVERIFY(m_dir.isValid());
}

void TestFindRunningExecutable::cleanup()
{
    for (QProcess *p : qAsConst(m_processes)) {
        p->kill();
        p->waitForFinished(3000);
        delete p;
    }
    m_processes.clear();
}

QString TestFindRunningExecutable::copyOfSleep(const QString &name)
{
    const QString path = QDir(m_dir.path()).canonicalPath() + QLatin1Char('/') + name;
    QFile::remove(path);
    return QFile::copy(m_sleep, path) &&
                   QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner)
               ? path
               : QString();
}

bool TestFindRunningExecutable::run(const QString &program)
{
    auto *process = new QProcess;
    m_processes << process;
    process->start(program, {QStringLiteral("30")});
    return process->waitForStarted(5000);
}

void TestFindRunningExecutable::findsByLowerCaseBaseName_data()
{
    QTest::addColumn<QString>("file_name");
    QTest::newRow("mixed case") << "PeekOra";
    QTest::newRow("with extension") << "PEEKORA.exe";
}

void TestFindRunningExecutable::findsByLowerCaseBaseName()
{
    QFETCH(QString, file_name);
    const QString program = copyOfSleep(file_name);
    QVERIFY(!program.isEmpty());
    QVERIFY(run(program));
    QCOMPARE(OsInstance()->findRunningExecutable(QStringLiteral("peekora")), program);
}

void TestFindRunningExecutable::notRunningIsEmpty()
{
    // A copy that exists but does not run, and one that runs under a longer name.
    QVERIFY(!copyOfSleep(QStringLiteral("peekora")).isEmpty());
    const QString longer = copyOfSleep(QStringLiteral("peekora2"));
    QVERIFY(run(longer));
    QCOMPARE(OsInstance()->findRunningExecutable(QStringLiteral("peekora")), QString());
    QCOMPARE(OsInstance()->findRunningExecutable(QStringLiteral("peekora2")), longer);
}

void TestFindRunningExecutable::deletedExecutableDoesNotCount()
{
    const QString program = copyOfSleep(QStringLiteral("peekora"));
    QVERIFY(run(program));
    QCOMPARE(OsInstance()->findRunningExecutable(QStringLiteral("peekora")), program);
    // Still running, but from a file that is gone: no path to offer.
    QVERIFY(QFile::remove(program));
    QCOMPARE(OsInstance()->findRunningExecutable(QStringLiteral("peekora")), QString());
}

TOLVANE_TEST_MAIN(TestFindRunningExecutable)
#include "tst_find_running_executable.moc"
