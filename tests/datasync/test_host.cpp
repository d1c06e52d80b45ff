#include "test_host.h"

#include "item/storage_paths.h"
#include "test_items.h"

#include <QCryptographicHash>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QtTest>

TestHost::TestHost(const QString &password, bool shared_root, bool encrypted,
                   const QString &link_dir)
    : pwd(password)
{
    root = shared_root ? StoragePaths::TempRoot() : dir.path() + "/transfer/";
    if (encrypted)
        linkDir = link_dir.isEmpty() ? dir.path() + "/link" : link_dir;
    LocalShare share{&clip, &pin, [this] { return pwd; }, root, QString(), {}};
    share.link_dir = linkDir;
    share.refuse_plain = [this] {
        return refusePlain;
    };
    connector = std::make_unique<CConnector>(share);
    connector->StartServer(0);
    port = connector->serverPort();
}

TestHost::~TestHost()
{
    connector.reset(); // before the lists it watches
}

QString TestHost::shareFile(const QString &name, const QByteArray &content)
{
    const QString path = dir.path() + "/files/" + name;
    QDir().mkpath(QFileInfo(path).path());
    WriteFile(path, content);
    clip.prependItem(FileListItem({QUrl::fromLocalFile(path)}));
    return path;
}

QString TestHost::shareImage(const QByteArray &png)
{
    const QString md5 =
        QString::fromLatin1(QCryptographicHash::hash(png, QCryptographicHash::Md5).toHex());
    QDir().mkpath(StoragePaths::ClipboardDir());
    WriteFile(StoragePaths::ImgPath(md5), png);
    clip.prependItem(ImageItem(md5));
    return md5;
}

bool LinkHosts(TestHost &from, TestHost &to, int timeout_ms, quint16 via_port)
{
    QSignalSpy result(from.connector.get(), &CConnector::sigConnectResult);
    const int from_before = from->getHostsCount();
    const int to_before = to->getHostsCount();
    from->connect2Server(QStringLiteral("127.0.0.1"), to.pwd, via_port ? via_port : to.port);
    if (!result.wait(timeout_ms) || !result.at(0).at(0).toBool())
        return false;
    return QTest::qWaitFor(
        [&] {
            return from->getHostsCount() == from_before + 1 &&
                   to->getHostsCount() == to_before + 1 && from->isInit(from_before) &&
                   to->isInit(to_before);
        },
        timeout_ms);
}

bool SendOverTcp(quint16 port, const QByteArray &bytes)
{
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(5000))
        return false;
    s.write(bytes);
    s.disconnectFromHost();
    // The receiver may be in this process: its event loop must run while the bytes go.
    return QTest::qWaitFor([&] { return s.state() == QAbstractSocket::UnconnectedState; }, 30000);
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QStringList Plains(const CCilpboardListModel *model)
{
    QStringList out;
    for (int i = 0; model && i < model->rowCount(); ++i)
        out << model->getPlain(i);
    return out;
}
