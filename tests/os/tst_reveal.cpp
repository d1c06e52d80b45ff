// Revealing files, against a file manager service of the test's own on a private session
// bus; the folder fallback is observed through a URL handler instead of a real program.
#include "os/os_abstract.h"
#include "private_session_bus.h"
#include "threaded_bus_service.h"

#include <QDBusContext>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QMutex>
#include <QTemporaryDir>

namespace {
const QString kService = QStringLiteral("org.freedesktop.FileManager1");
const QString kPath = QStringLiteral("/org/freedesktop/FileManager1");

struct ShowItemsCall
{
    QStringList uris;
    QString startup_id;
};

// Records every ShowItems call; called in the service's thread, read in the test's.
class FileManager : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    explicit FileManager(bool refuse = false) : m_refuse(refuse) {}

    QList<ShowItemsCall> calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }

public slots:
    void ShowItems(const QStringList &uris, const QString &startup_id)
    {
        {
            QMutexLocker lock(&m_mutex);
            m_calls.append({uris, startup_id});
        }
        if (m_refuse)
            sendErrorReply(QDBusError::Failed, QStringLiteral("cannot show these"));
    }

private:
    const bool m_refuse;
    mutable QMutex m_mutex;
    QList<ShowItemsCall> m_calls;
};

// Stands in for the desktop's handler of file URLs.
class FolderOpener : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};
} // namespace

class TestReveal : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fileManagerGetsAllFilesInOrder();
    void withoutFileManagerTheFolderOpens();
    void refusedRequestOpensTheFolder();
    void nothingToReveal();

private:
    QString makeFile(const QString &name);

    QTemporaryDir m_dir;
    FolderOpener m_opener;
};

void TestReveal::init()
{
    m_opener.opened.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_opener, "open");
}

void TestReveal::cleanup()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

QString TestReveal::makeFile(const QString &name)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    return file.fileName();
}

void TestReveal::fileManagerGetsAllFilesInOrder()
{
    auto *manager = new FileManager;
    ThreadedBusService service(kService, kPath, manager);
    QVERIFY(service.isRegistered());

    // Names a URI has to escape, and a file that is already gone.
    const QStringList paths{makeFile(QStringLiteral("b second.txt")),
                            makeFile(QStringLiteral("a#first%.png")),
                            m_dir.filePath(QStringLiteral("gone.txt"))};
    QVERIFY(!paths.contains(QString()));
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);

    QVERIFY(OsInstance()->RevealInFileManager(urls));
    QTRY_COMPARE(manager->calls().size(), 1);
    const ShowItemsCall call = manager->calls().constFirst();
    QCOMPARE(call.startup_id, QString());
    QCOMPARE(call.uris.size(), 3);
    const QString dir_uri = QStringLiteral("file://") + m_dir.path();
    QCOMPARE(call.uris.at(0), dir_uri + QStringLiteral("/b%20second.txt"));
    QCOMPARE(call.uris.at(1), dir_uri + QStringLiteral("/a%23first%25.png"));
    QCOMPARE(call.uris.at(2), dir_uri + QStringLiteral("/gone.txt"));
    // The file manager was enough; no folder window on top of it.
    QTest::qWait(100);
    QVERIFY(m_opener.opened.isEmpty());
}

void TestReveal::withoutFileManagerTheFolderOpens()
{
    const QString sub = m_dir.filePath(QStringLiteral("sub dir"));
    QVERIFY(QDir().mkpath(sub));
    // The first file is missing; its folder still opens.
    const QList<QUrl> urls{QUrl::fromLocalFile(sub + QStringLiteral("/missing.txt")),
                           QUrl::fromLocalFile(makeFile(QStringLiteral("other.txt")))};
    QVERIFY(OsInstance()->RevealInFileManager(urls));
    QCOMPARE(m_opener.opened, QList<QUrl>{QUrl::fromLocalFile(sub)});
}

void TestReveal::refusedRequestOpensTheFolder()
{
    auto *manager = new FileManager(true);
    ThreadedBusService service(kService, kPath, manager);
    QVERIFY(service.isRegistered());
    const QString file = makeFile(QStringLiteral("refused.txt"));
    QVERIFY(OsInstance()->RevealInFileManager({QUrl::fromLocalFile(file)}));
    QTRY_COMPARE(m_opener.opened, QList<QUrl>{QUrl::fromLocalFile(m_dir.path())});
    QCOMPARE(manager->calls().size(), 1);
}

void TestReveal::nothingToReveal()
{
    auto *manager = new FileManager;
    ThreadedBusService service(kService, kPath, manager);
    QVERIFY(service.isRegistered());
    QVERIFY(!OsInstance()->RevealInFileManager({}));
    QVERIFY(!OsInstance()->RevealInFileManager({QUrl(QStringLiteral("https://example.org/a"))}));
    QTest::qWait(100);
    QVERIFY(manager->calls().isEmpty());
    QVERIFY(m_opener.opened.isEmpty());
}

TOLVANE_TEST_MAIN_PRIVATE_BUS(TestReveal)
#include "tst_reveal.moc"
