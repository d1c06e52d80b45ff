// Folders and files only the user may read, on the real file system: what is created is
// private, what exists is tightened, and a symbolic link never redirects a change or a
// removal to what it points to.
#include "isolated_env.h"
#include "os/private_storage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {
mode_t ModeOf(const QString &path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

void Touch(const QString &path, mode_t mode = 0644)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("contents");
    f.close();
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}
} // namespace

class TestPrivateStorage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ::umask(022); }

    void foldersAreMadePrivate()
    {
        QTemporaryDir root;
        const QString fresh = root.filePath("a/b/fresh");
        QVERIFY(PrivateStorage::MakePrivateFolder(fresh));
        QCOMPARE(ModeOf(fresh), mode_t(0700));

        const QString open = root.filePath("open");
        QVERIFY(QDir().mkdir(open));
        QCOMPARE(ModeOf(open), mode_t(0755));
        QVERIFY(PrivateStorage::MakePrivateFolder(open + "/"));
        QCOMPARE(ModeOf(open), mode_t(0700));
    }

    void aLinkOrAFileInItsPlaceIsRefused()
    {
        QTemporaryDir root;
        const QString victim = root.filePath("victim");
        QVERIFY(QDir().mkdir(victim));
        const QString link = root.filePath("link");
        QVERIFY(QFile::link(victim, link));
        QString problem;
        QVERIFY(!PrivateStorage::MakePrivateFolder(link, &problem));
        QVERIFY(problem.contains("link"));
        QCOMPARE(ModeOf(victim), mode_t(0755)); // not changed through the link

        const QString file = root.filePath("file");
        Touch(file);
        QVERIFY(!PrivateStorage::MakePrivateFolder(file, &problem));
        QVERIFY(problem.contains("folder"));
    }

    void filesAreTightenedLinksAreNot()
    {
        QTemporaryDir root;
        const QString dir = root.filePath("store");
        QVERIFY(QDir().mkdir(dir));
        Touch(dir + "/history", 0644);
        Touch(dir + "/tool", 0755);
        Touch(dir + "/.hidden", 0666);
        const QString outside = root.filePath("outside.txt");
        Touch(outside, 0644);
        QVERIFY(QFile::link(outside, dir + "/link"));
        PrivateStorage::TightenFiles(dir);
        QCOMPARE(ModeOf(dir + "/history"), mode_t(0600));
        QCOMPARE(ModeOf(dir + "/tool"), mode_t(0700));
        QCOMPARE(ModeOf(dir + "/.hidden"), mode_t(0600));
        QCOMPARE(ModeOf(outside), mode_t(0644));
    }

    void aPrivateFileIsCreatedOrTightened()
    {
        QTemporaryDir root;
        const QString fresh = root.filePath("config/app.conf");
        QVERIFY(PrivateStorage::MakePrivateFile(fresh));
        QCOMPARE(ModeOf(fresh), mode_t(0600));
        QCOMPARE(QFileInfo(fresh).size(), 0);

        const QString old = root.filePath("old.conf");
        Touch(old, 0664);
        QVERIFY(PrivateStorage::MakePrivateFile(old));
        QCOMPARE(ModeOf(old), mode_t(0600));
        QCOMPARE(QFileInfo(old).size(), qint64(8)); // contents kept

        const QString outside = root.filePath("outside.conf");
        Touch(outside, 0644);
        const QString link = root.filePath("link.conf");
        QVERIFY(QFile::link(outside, link));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not a file of this user"));
        QVERIFY(!PrivateStorage::MakePrivateFile(link));
        QCOMPARE(ModeOf(outside), mode_t(0644));
    }

    // Emptying removes links as links: a folder or file a link points to stays whole.
    void emptyingNeverFollowsALink()
    {
        QTemporaryDir root;
        const QString victim = root.filePath("victim");
        QVERIFY(QDir().mkpath(victim + "/deep"));
        Touch(victim + "/precious.txt");
        Touch(victim + "/deep/also.txt");

        const QString dir = root.filePath("transfer");
        QVERIFY(QDir().mkpath(dir + "/10.0.0.2/sub"));
        Touch(dir + "/10.0.0.2/sub/received.png");
        Touch(dir + "/.hidden");
        QVERIFY(QFile::link(victim, dir + "/to-folder"));
        QVERIFY(QFile::link(victim + "/precious.txt", dir + "/to-file"));
        QVERIFY(QFile::link(victim, dir + "/10.0.0.2/nested-link"));

        QVERIFY(PrivateStorage::EmptyFolder(dir));
        QVERIFY(QFileInfo(dir).isDir());
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                     QDir::NoDotAndDotDot),
                 QStringList());
        QVERIFY(QFile::exists(victim + "/precious.txt"));
        QVERIFY(QFile::exists(victim + "/deep/also.txt"));

        // A link given as the folder itself is not entered either.
        const QString link = root.filePath("link-to-victim");
        QVERIFY(QFile::link(victim, link));
        QVERIFY(!PrivateStorage::EmptyFolder(link));
        QVERIFY(QFile::exists(victim + "/precious.txt"));
    }
};

TOLVANE_TEST_MAIN(TestPrivateStorage)
#include "tst_private_storage.moc"
