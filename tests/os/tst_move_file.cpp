// Moving downloaded files: within one file system, across file systems (the temporary
// folder and /dev/shm), over an existing file, and the failures that must lose nothing.
#include "isolated_env.h"
#include "os/os_abstract.h"

#include <QDir>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {
struct FileId
{
    dev_t device = 0;
    ino_t inode = 0;
};

FileId IdOf(const QString &path)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {st.st_dev, st.st_ino};
}

bool WriteFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Bigger than one copy chunk, and not the same byte everywhere.
QByteArray Payload()
{
    QByteArray data;
    for (int i = 0; i < 3 * 1024 * 1024 + 17; ++i)
        data.append(char(i * 7 + i / 251));
    return data;
}
} // namespace

class TestMoveFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void sameFileSystemRenames();
    void sameFileSystemReplacesTarget();
    void acrossFileSystems_data();
    void acrossFileSystems();
    void missingSourceDestroysNothing();
    void failedCopyKeepsTheSource();
    void folderTargetIsRefused();

private:
    QString otherFileSystemDir();

    QTemporaryDir m_dir;
    QScopedPointer<QTemporaryDir> m_shm;
};

void TestMoveFile::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable()) {
        m_shm.reset(new QTemporaryDir(QStringLiteral("/dev/shm/tolvane-test-XXXXXX")));
        if (!m_shm->isValid())
            m_shm.reset();
    }
}

QString TestMoveFile::otherFileSystemDir()
{
    if (!m_shm || IdOf(m_shm->path()).device == IdOf(m_dir.path()).device)
        return QString();
    return m_shm->path();
}

void TestMoveFile::sameFileSystemRenames()
{
    const QString from = m_dir.filePath(QStringLiteral("a.bin"));
    const QString to = m_dir.filePath(QStringLiteral("moved a.bin"));
    QVERIFY(WriteFile(from, "alpha"));
    const FileId before = IdOf(from);
    OsInstance()->MoveFileWithUndo(from, to);
    QVERIFY(!QFile::exists(from));
    QCOMPARE(ReadFile(to), QByteArray("alpha"));
    // Renamed, not copied: the very same file.
    QCOMPARE(IdOf(to).inode, before.inode);
}

void TestMoveFile::sameFileSystemReplacesTarget()
{
    const QString from = m_dir.filePath(QStringLiteral("new.txt"));
    const QString to = m_dir.filePath(QStringLiteral("old.txt"));
    QVERIFY(WriteFile(from, "new contents"));
    QVERIFY(WriteFile(to, "old contents that are longer"));
    OsInstance()->MoveFileWithUndo(from, to);
    QVERIFY(!QFile::exists(from));
    QCOMPARE(ReadFile(to), QByteArray("new contents"));
}

void TestMoveFile::acrossFileSystems_data()
{
    QTest::addColumn<bool>("target_exists");
    QTest::newRow("new target") << false;
    QTest::newRow("existing target") << true;
}

void TestMoveFile::acrossFileSystems()
{
    QFETCH(bool, target_exists);
    const QString other = otherFileSystemDir();
    if (other.isEmpty())
        QSKIP("/dev/shm is not a separate file system here");
    const QString from = m_dir.filePath(QStringLiteral("big.bin"));
    const QString to = other + QStringLiteral("/big copy.bin");
    const QByteArray payload = Payload();
    QVERIFY(WriteFile(from, payload));
    QVERIFY(QFile::setPermissions(from, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    if (target_exists)
        QVERIFY(WriteFile(to, "previous"));
    else
        QFile::remove(to);

    OsInstance()->MoveFileWithUndo(from, to);
    QVERIFY(!QFile::exists(from));
    QCOMPARE(ReadFile(to), payload);
    const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                    QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFileInfo(to).permissions() & mode,
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    // No temporary file is left beside the target.
    QCOMPARE(QDir(other).entryList(QDir::Files), QStringList{QStringLiteral("big copy.bin")});
    QFile::remove(to);
}

void TestMoveFile::missingSourceDestroysNothing()
{
    const QString from = m_dir.filePath(QStringLiteral("never there.txt"));
    const QString to = m_dir.filePath(QStringLiteral("precious.txt"));
    QVERIFY(WriteFile(to, "precious"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no such file")));
    OsInstance()->MoveFileWithUndo(from, to);
    QCOMPARE(ReadFile(to), QByteArray("precious"));
    QVERIFY(!QFile::exists(from));
}

void TestMoveFile::failedCopyKeepsTheSource()
{
    // /proc is another file system on which no file can be created, so the rename turns
    // into a copy, and the copy fails.
    const QString from = m_dir.filePath(QStringLiteral("keep me.txt"));
    QVERIFY(WriteFile(from, "keep me"));
    const QString to = QStringLiteral("/proc/tolvane-test-target");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("keep me")));
    OsInstance()->MoveFileWithUndo(from, to);
    QCOMPARE(ReadFile(from), QByteArray("keep me"));
    QVERIFY(!QFile::exists(to));
}

void TestMoveFile::folderTargetIsRefused()
{
    const QString from = m_dir.filePath(QStringLiteral("file.txt"));
    const QString to = m_dir.filePath(QStringLiteral("a folder"));
    QVERIFY(WriteFile(from, "file"));
    QVERIFY(QDir().mkpath(to + QStringLiteral("/inside")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("folder")));
    OsInstance()->MoveFileWithUndo(from, to);
    QCOMPARE(ReadFile(from), QByteArray("file"));
    QVERIFY(QFileInfo(to + QStringLiteral("/inside")).isDir());
}

TOLVANE_TEST_MAIN(TestMoveFile)
#include "tst_move_file.moc"
