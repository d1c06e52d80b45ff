// Two connectors in one process, linked over loopback on ports the system chose: the whole
// link as the user sees it through the connector's signals and invokable methods.
#include "isolated_env.h"
#include "item/storage_paths.h"
#include "test_host.h"
#include "test_items.h"
#include "wire_bytes.h"
#include "wire_tap.h"

#include <QCryptographicHash>
#include <QPointer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QSysInfo>
#include <QTcpServer>
#include <QWebSocket>
#include <QWebSocketServer>

namespace {
const QString kLocal = QStringLiteral("127.0.0.1");

QByteArray Sha(const QByteArray &b)
{
    return QCryptographicHash::hash(b, QCryptographicHash::Sha256);
}

quint16 ClosedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
} // namespace

class TestConnector : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void handshakeFillsBothMirrors();
    void changesArePushedToLinkedHosts();
    void nothingIsWrittenWithoutHosts();
    void downloadsImages();
    void downloadsFilesWithAndWithoutSavePath();
    void refusedDownloadsAreReported();
    void downloadLargerThanTheFreeSpaceIsRefused();
    void downloadsTwentyFiveMiBWithProgress();
    void passwords_data();
    void passwords();
    void serverTakesAtMostTwoHosts();
    void secondIncomingLinkFromOneAddressIsClosed();
    void cancelEndsOnlyThatAttempt();
    void failedAttemptIsReported();
    void attemptThatIsNeverAnsweredTimesOut_data();
    void attemptThatIsNeverAnsweredTimesOut();
    void closingALinkCleansUpBothSides();
    void answersWhetherALinkMayBeOpened();
    void busyPortIsReportedAndTriedAgain();

private:
    void checkHandshakeOrder(const QList<WireTap::Event> &events);
};

void TestConnector::initTestCase()
{
    qRegisterMetaType<CCilpboardListModel *>();
}

void TestConnector::handshakeFillsBothMirrors()
{
    TestHost a;
    TestHost b(QStringLiteral("b-pass"));
    FillTextRows(a.clip, {"a1", "a2"});
    FillTextRows(b.clip, {"b1", "b2", "b3"});
    WireTap tap; // between a and b's server, to see the conversation
    QVERIFY(tap.listen(b.port));
    QSignalSpy a_result(a.connector.get(), &CConnector::sigConnectResult);
    QSignalSpy a_update(a.connector.get(), &CConnector::sigUpdateConnection);
    QSignalSpy b_update(b.connector.get(), &CConnector::sigUpdateConnection);
    QSignalSpy a_downloaded(a.connector.get(), &CConnector::sigFileDownloaded);

    a->connect2Server(kLocal, QStringLiteral("b-pass"), tap.port());
    QVERIFY(a_result.wait(20000));
    QCOMPARE(a_result.at(0), QVariantList({true, QString()}));
    QVERIFY(a_update.count() >= 1); // the link shows as soon as the password passed

    QTRY_VERIFY_WITH_TIMEOUT(a->isInit(0) && b->getHostsCount() == 1 && b->isInit(0), 20000);
    for (TestHost *h : {&a, &b}) {
        QCOMPARE((*h)->getHostsCount(), 1);
        QCOMPARE((*h)->getHostsIP(0), kLocal);
        QCOMPARE((*h)->getHostsOs(0), QStringLiteral("windows"));
        QCOMPARE((*h)->getHostsName(0), QSysInfo::machineHostName());
        QCOMPARE((*h)->getHostsIndex(kLocal), 0);
        QCOMPARE((*h)->getHostsIndex(QStringLiteral("10.0.0.9")), -1);
        QVERIFY(!(*h)->getModel(0)->isLocal());
        QCOMPARE((*h)->getModel(0)->getIp(), kLocal);
    }
    QCOMPARE(Plains(a->getModel(0)), QStringList({"b1", "b2", "b3"}));
    QCOMPARE(Plains(b->getModel(0)), QStringList({"a1", "a2"}));
    QCOMPARE(a->getModel(0)->getMd5(0), b.clip.getMd5(0));
    QVERIFY(b_update.count() >= 1);
    QCOMPARE(a_downloaded.count(), 1);
    QCOMPARE(QFileInfo(a_downloaded.at(0).at(0).toString()).fileName(), QStringLiteral("history"));
    QCOMPARE(a_result.count(), 1);
    // A mirror never writes the local history files.
    QVERIFY(!QFile::exists(StoragePaths::ClipboardHistoryFile()));
    checkHandshakeOrder(tap.events());
}

// The conversation on the wire, in the order the messages passed: the client gives its
// password first; then each side asks the other for its operating system, on the answer for
// its machine name, on that answer for its history, which comes as an announced file.
void TestConnector::checkHandshakeOrder(const QList<WireTap::Event> &events)
{
    const auto texts = [&](bool to_server, const QString &prefix) {
        QStringList out;
        for (const WireTap::Event &e : events) {
            const QString t = QString::fromUtf8(e.message.data);
            if (e.to_server == to_server && e.message.is_text && t.startsWith(prefix))
                out << t;
        }
        return out;
    };
    const auto index = [&](bool to_server, const std::function<bool(const WireTap::Event &)> &is) {
        for (int i = 0; i < events.size(); ++i) {
            if (events.at(i).to_server == to_server && is(events.at(i)))
                return i;
        }
        return -1;
    };
    const auto text_at = [&](bool to_server, const QString &text) {
        return index(to_server, [&](const WireTap::Event &e) {
            return e.message.is_text && e.message.data == text.toUtf8();
        });
    };
    const auto binary_at = [&](bool to_server, int body) {
        return index(to_server, [&](const WireTap::Event &e) {
            return !e.message.is_text && WireBytes::Decode(e.message.data).body == body;
        });
    };
    const QString host_reply = QStringLiteral("!!tag_host#") + QSysInfo::machineHostName();

    QCOMPARE(texts(true, QString()).first(), QStringLiteral("??tag_pwd#b-pass"));
    QCOMPARE(texts(false, QString()).mid(0, 2), QStringList({"!!tag_pwd#ok", "??tag_os#"}));
    QCOMPARE(texts(true, "??"), QStringList({"??tag_pwd#b-pass", "??tag_os#", "??tag_host#",
                                             "??tag_normal_file#history"}));
    QCOMPARE(texts(false, "??"),
             QStringList({"??tag_os#", "??tag_host#", "??tag_normal_file#history"}));
    QCOMPARE(texts(true, "!!"), QStringList({"!!tag_os#w", host_reply}));
    QCOMPARE(texts(false, "!!"), QStringList({"!!tag_pwd#ok", "!!tag_os#w", host_reply}));
    QVERIFY(text_at(true, "??tag_pwd#b-pass") < text_at(false, "!!tag_pwd#ok"));
    QVERIFY(text_at(false, "!!tag_pwd#ok") < text_at(true, "??tag_os#"));
    for (const bool asker_is_client : {true, false}) {
        const bool ask = asker_is_client; // direction of the asker's messages
        const int steps[] = {text_at(ask, "??tag_os#"),
                             text_at(!ask, "!!tag_os#w"),
                             text_at(ask, "??tag_host#"),
                             text_at(!ask, host_reply),
                             text_at(ask, "??tag_normal_file#history"),
                             binary_at(!ask, 2),
                             binary_at(ask, 3)};
        for (int i = 1; i < int(std::size(steps)); ++i)
            QVERIFY2(steps[i - 1] >= 0 && steps[i - 1] < steps[i],
                     qPrintable(QString("asker %1, step %2").arg(asker_is_client).arg(i)));
    }
    // Each side offers its history file once and accepts the other's offer of it.
    for (const bool dir : {true, false}) {
        QList<WireBytes::Decoded> mine, theirs;
        for (const WireTap::Event &e : events) {
            if (!e.message.is_text)
                (e.to_server == dir ? mine : theirs).append(WireBytes::Decode(e.message.data));
        }
        QCOMPARE(mine.size(), 2);
        QCOMPARE(theirs.size(), 2);
        const auto offer = std::find_if(theirs.cbegin(), theirs.cend(),
                                        [](const WireBytes::Decoded &d) { return d.body == 2; });
        const auto answer = std::find_if(mine.cbegin(), mine.cend(),
                                         [](const WireBytes::Decoded &d) { return d.body == 3; });
        QVERIFY(offer != theirs.cend() && answer != mine.cend());
        QCOMPARE(QFileInfo(offer->path).fileName(), QStringLiteral("history"));
        QVERIFY(offer->size > 0);
        QVERIFY(answer->accept);
        QCOMPARE(answer->path, offer->path);
    }
}

void TestConnector::changesArePushedToLinkedHosts()
{
    TestHost a;
    TestHost b;
    FillTextRows(a.clip, {"first"});
    QVERIFY(LinkHosts(a, b));
    QSignalSpy sent(a.connector.get(), &CConnector::sigFileSent);

    a.clip.prependItem(TextItem(QStringLiteral("fresh capture")));
    QTRY_COMPARE_WITH_TIMEOUT(Plains(b->getModel(0)), QStringList({"fresh capture", "first"}),
                              20000);
    QVERIFY(sent.count() >= 1);
    QCOMPARE(QFileInfo(sent.at(0).at(0).toString()).fileName(), QStringLiteral("history"));

    // A copy made on the linked host travels the other way too.
    b.clip.prependItem(TextItem(QStringLiteral("from b")));
    QTRY_COMPARE_WITH_TIMEOUT(Plains(a->getModel(0)), QStringList({"from b"}), 20000);
    a.clip.moveRow(1, 0);
    QTRY_COMPARE_WITH_TIMEOUT(Plains(b->getModel(0)), QStringList({"first", "fresh capture"}),
                              20000);
}

void TestConnector::nothingIsWrittenWithoutHosts()
{
    TestHost a;
    a.clip.prependItem(TextItem(QStringLiteral("alone")));
    QTest::qWait(200);
    QVERIFY(!QFile::exists(a.root + "history"));
}

void TestConnector::downloadsImages()
{
    TestHost a(QString(), true); // its mirror finds images where the program keeps them
    TestHost b;
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(5000, 'p');
    const QString md5 = b.shareImage(png);
    QVERIFY(LinkHosts(a, b));
    CCilpboardListModel *mirror = a->getModel(0);
    QCOMPARE(mirror->getMd5(0), md5);
    QVERIFY(!mirror->isImgExists(md5));

    QSignalSpy started(a.connector.get(), &CConnector::sigFileDownloadStarted);
    QSignalSpy done(a.connector.get(), &CConnector::sigFileDownloaded);
    QSignalSpy b_sending(b.connector.get(), &CConnector::sigFileSendingStarted);
    QSignalSpy b_sent(b.connector.get(), &CConnector::sigFileSent);
    a->downloadImg(kLocal, md5);
    QVERIFY(done.wait(20000));
    const QString expected = StoragePaths::RemoteImgDir(kLocal) + md5 + ".png";
    QCOMPARE(done.at(0), QVariantList({expected, kLocal}));
    QCOMPARE(started.at(0), QVariantList({expected, kLocal}));
    QVERIFY(mirror->isImgExists(md5));
    QCOMPARE(ReadFile(expected), png);
    QTRY_COMPARE(b_sent.count(), 1);
    QCOMPARE(b_sending.at(0), QVariantList({StoragePaths::ImgPath(md5), kLocal}));
}

void TestConnector::downloadsFilesWithAndWithoutSavePath()
{
    TestHost a;
    TestHost b;
    const QString remote = b.shareFile("report.txt", "quarterly numbers");
    QVERIFY(LinkHosts(a, b));
    QSignalSpy done(a.connector.get(), &CConnector::sigFileDownloaded);

    a->downloadFile(kLocal, remote, QString());
    QVERIFY(done.wait(20000));
    const QString in_transfer = a.root + kLocal + "/report.txt";
    QCOMPARE(done.at(0), QVariantList({in_transfer, kLocal}));
    QCOMPARE(ReadFile(in_transfer), QByteArray("quarterly numbers"));

    QFile::remove(in_transfer);
    const QString save = a.dir.path() + "/chosen name.txt";
    a->downloadFile(kLocal, remote, save);
    QVERIFY(done.wait(20000));
    QCOMPARE(done.at(1), QVariantList({save, kLocal}));
    QCOMPARE(ReadFile(save), QByteArray("quarterly numbers"));
    QVERIFY(!QFile::exists(in_transfer));
}

void TestConnector::refusedDownloadsAreReported()
{
    TestHost a;
    TestHost b;
    const QString folder = b.dir.path() + "/folder";
    QDir().mkpath(folder);
    b.clip.prependItem(FileListItem({QUrl::fromLocalFile(folder)}));
    QVERIFY(LinkHosts(a, b));
    QSignalSpy err(a.connector.get(), &CConnector::sigFileDownloadErr);
    const QString save = a.dir.path() + "/never.txt";

    a->downloadFile(kLocal, QStringLiteral("/etc/hostname"), save);
    QVERIFY(err.wait(20000));
    QCOMPARE(err.at(0), QVariantList({"/etc/hostname", kLocal, "File not found"}));
    a->downloadFile(kLocal, folder, save);
    QVERIFY(err.wait(20000));
    QCOMPARE(err.at(1), QVariantList({folder, kLocal, "Can't transfer a folder."}));
    const QString key = QStringLiteral("ffffffffffffffffffffffffffffffff");
    a->downloadImg(kLocal, key);
    QVERIFY(err.wait(20000));
    QCOMPARE(err.at(2), QVariantList({StoragePaths::ImgPath(key), kLocal, "File not found"}));
    QVERIFY(!QFile::exists(save));
}

void TestConnector::downloadLargerThanTheFreeSpaceIsRefused()
{
    TestHost a;
    TestHost b;
    // A sparse file larger than the whole file system the download would land on.
    const qint64 total = QStorageInfo(a.dir.path()).bytesTotal();
    QVERIFY(total > 0);
    const QString remote = b.shareFile("huge.bin", QByteArray());
    QVERIFY(QFile::resize(remote, total + 1));
    QVERIFY(LinkHosts(a, b));
    QSignalSpy err(a.connector.get(), &CConnector::sigFileDownloadErr);
    QSignalSpy started(a.connector.get(), &CConnector::sigFileDownloadStarted);

    a->downloadFile(kLocal, remote, QString());
    QVERIFY(err.wait(20000));
    const QString dest = a.root + kLocal + "/huge.bin";
    QCOMPARE(err.at(0).at(0).toString(), dest);
    QCOMPARE(err.at(0).at(1).toString(), kLocal);
    const QString why = err.at(0).at(2).toString();
    QVERIFY2(why.startsWith("Not enough free space: the file needs "), qPrintable(why));
    QVERIFY2(why.contains(QLocale().formattedDataSize(total + 1)), qPrintable(why));
    QCOMPARE(started.count(), 0);
    QVERIFY(!QFile::exists(dest));

    // A file that fits still comes, on the same link.
    const QString small = b.shareFile("small.txt", "fits");
    QSignalSpy done(a.connector.get(), &CConnector::sigFileDownloaded);
    a->downloadFile(kLocal, small, QString());
    const QVariantList arrived = {a.root + kLocal + "/small.txt", kLocal};
    QTRY_VERIFY_WITH_TIMEOUT(done.contains(arrived), 20000); // besides b's pushed history
    QCOMPARE(ReadFile(arrived.at(0).toString()), QByteArray("fits"));
}

void TestConnector::downloadsTwentyFiveMiBWithProgress()
{
    TestHost a;
    TestHost b;
    QByteArray content(25 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator(3).fillRange(reinterpret_cast<quint32 *>(content.data()), content.size() / 4);
    const QString remote = b.shareFile("big.bin", content);
    QVERIFY(LinkHosts(a, b));
    const QString save = a.dir.path() + "/big copy.bin";
    QVector<int> rates;
    qint64 total = 0;
    connect(a.connector.get(), &CConnector::sigFileDownloadProgress, this,
            [&](const QString &name, const QString &ip, int rate, qlonglong size) {
                QCOMPARE(name, QStringLiteral("big copy.bin"));
                QCOMPARE(ip, kLocal);
                rates.append(rate);
                total += size;
            });
    QSignalSpy done(a.connector.get(), &CConnector::sigFileDownloaded);
    a->downloadFile(kLocal, remote, save);
    QVERIFY(done.wait(60000));
    QCOMPARE(total, qint64(content.size()));
    QVERIFY(rates.size() > 1);
    QVERIFY(std::is_sorted(rates.begin(), rates.end()));
    QCOMPARE(rates.last(), 100);
    QCOMPARE(Sha(ReadFile(save)), Sha(content));
}

void TestConnector::passwords_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("given");
    QTest::addColumn<bool>("passes");
    QTest::newRow("wrong") << "secret"
                           << "guess" << false;
    QTest::newRow("none given") << "secret"
                                << "" << false;
    QTest::newRow("none needed, none given") << ""
                                             << "" << true;
    QTest::newRow("none needed, one given") << ""
                                            << "extra" << false;
}

void TestConnector::passwords()
{
    QFETCH(QString, set);
    QFETCH(QString, given);
    QFETCH(bool, passes);
    TestHost a;
    TestHost b(set);
    QSignalSpy result(a.connector.get(), &CConnector::sigConnectResult);
    a->connect2Server(kLocal, given, b.port);
    QVERIFY(result.wait(20000));
    if (passes) {
        QCOMPARE(result.at(0), QVariantList({true, QString()}));
        QTRY_VERIFY_WITH_TIMEOUT(a->isInit(0) && b->isInit(0), 20000);
        return;
    }
    QCOMPARE(result.at(0), QVariantList({false, "Password incorrect."}));
    // The refused link disappears from both sides.
    QTRY_COMPARE_WITH_TIMEOUT(a->getHostsCount(), 0, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(b->getHostsCount(), 0, 10000);
    QTest::qWait(100);
    QCOMPARE(result.count(), 1);
}

void TestConnector::serverTakesAtMostTwoHosts()
{
    TestHost a, b, c, d;
    QVERIFY(LinkHosts(a, b)); // b: one incoming
    QVERIFY(LinkHosts(b, c)); // b: and one outgoing
    QCOMPARE(b->getHostsCount(), 2);
    QCOMPARE(b->isConnectable(QStringLiteral("10.1.2.3")),
             QStringLiteral("You may have two remote connections at most."));
    QCOMPARE(b->isConnectable(kLocal), QStringLiteral("Connection exists."));

    QSignalSpy result(d.connector.get(), &CConnector::sigConnectResult);
    d->connect2Server(kLocal, QString(), b.port);
    QVERIFY(result.wait(20000));
    QCOMPARE(result.at(0), QVariantList({false, "The server can only support two clients."}));
    QTRY_COMPARE(d->getHostsCount(), 0);
    QCOMPARE(b->getHostsCount(), 2);
}

void TestConnector::secondIncomingLinkFromOneAddressIsClosed()
{
    TestHost a, b, c;
    QVERIFY(LinkHosts(a, b));
    QSignalSpy result(c.connector.get(), &CConnector::sigConnectResult);
    c->connect2Server(kLocal, QString(), b.port);
    QVERIFY(result.wait(20000));
    QCOMPARE(result.at(0).at(0).toBool(), false);
    QTRY_COMPARE(c->getHostsCount(), 0);
    QCOMPARE(b->getHostsCount(), 1);
    QVERIFY(a->isInit(0));
}

void TestConnector::cancelEndsOnlyThatAttempt()
{
    // Servers that accept the TCP connection but never answer the WebSocket handshake.
    QTcpServer silent1, silent2;
    QVERIFY(silent1.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    QVERIFY(silent2.listen(QHostAddress(QStringLiteral("127.0.0.2")), 0));
    TestHost a;
    QSignalSpy result(a.connector.get(), &CConnector::sigConnectResult);
    a->connect2Server(QStringLiteral("127.0.0.1"), QString(), silent1.serverPort());
    a->connect2Server(QStringLiteral("127.0.0.2"), QString(), silent2.serverPort());
    QVERIFY(silent1.waitForNewConnection(5000) || silent1.hasPendingConnections());

    emit a->sigCancelConnect(QStringLiteral("127.0.0.2"));
    QCOMPARE(result.count(), 1);
    QCOMPARE(result.at(0), QVariantList({false, "Connection canceled."}));
    QTest::qWait(300);
    QCOMPARE(result.count(), 1);
    emit a->sigCancelConnect(QStringLiteral("127.0.0.2")); // already ended
    QCOMPARE(result.count(), 1);
    emit a->sigCancelConnect(QStringLiteral("127.0.0.1"));
    QCOMPARE(result.count(), 2);
    QCOMPARE(a->getHostsCount(), 0);
}

void TestConnector::failedAttemptIsReported()
{
    TestHost a;
    QSignalSpy result(a.connector.get(), &CConnector::sigConnectResult);
    a->connect2Server(kLocal, QString(), ClosedPort());
    QVERIFY(result.wait(10000));
    QCOMPARE(result.at(0).at(0).toBool(), false);
    QVERIFY(!result.at(0).at(1).toString().isEmpty());
    QCOMPARE(a->getHostsCount(), 0);
}

void TestConnector::attemptThatIsNeverAnsweredTimesOut_data()
{
    QTest::addColumn<bool>("opens");
    // A TCP listener that never opens the link, and a WebSocket server that opens it, takes
    // the password and never answers.
    QTest::newRow("link never opens") << false;
    QTest::newRow("password never answered") << true;
}

void TestConnector::attemptThatIsNeverAnsweredTimesOut()
{
    QFETCH(bool, opens);
    QTcpServer silent;
    QWebSocketServer mute(QStringLiteral("mute"), QWebSocketServer::NonSecureMode);
    std::vector<std::unique_ptr<QWebSocket>> accepted;
    quint16 port = 0;
    if (opens) {
        QVERIFY(mute.listen(QHostAddress::LocalHost, 0));
        connect(&mute, &QWebSocketServer::newConnection, this,
                [&] { accepted.emplace_back(mute.nextPendingConnection()); });
        port = mute.serverPort();
    } else {
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        port = silent.serverPort();
    }
    TestHost a;
    QSignalSpy result(a.connector.get(), &CConnector::sigConnectResult);
    QElapsedTimer t;
    t.start();
    a->connect2Server(kLocal, QStringLiteral("pwd"), port);
    if (opens)
        QTRY_COMPARE(accepted.size(), size_t(1));
    QVERIFY(result.wait(30000));
    QVERIFY(t.elapsed() >= 9000);
    QCOMPARE(result.at(0), QVariantList({false, "Connection timed out."}));
    QTRY_COMPARE(a->getHostsCount(), 0);
    if (opens)
        QTRY_COMPARE(accepted.front()->state(), QAbstractSocket::UnconnectedState);
    QTest::qWait(200);
    QCOMPARE(result.count(), 1);
}

void TestConnector::closingALinkCleansUpBothSides()
{
    for (const bool from_client : {true, false}) {
        TestHost a, b;
        QVERIFY(LinkHosts(a, b));
        QPointer<CCilpboardListModel> a_mirror = a->getModel(0);
        QPointer<CCilpboardListModel> b_mirror = b->getModel(0);
        QSignalSpy a_stopped(a.connector.get(), &CConnector::SigConnectionStopped);
        QSignalSpy b_stopped(b.connector.get(), &CConnector::SigConnectionStopped);
        QSignalSpy a_update(a.connector.get(), &CConnector::sigUpdateConnection);
        QSignalSpy b_update(b.connector.get(), &CConnector::sigUpdateConnection);
        emit(from_client ? a : b)->sigCloseConnection(kLocal);
        QTRY_COMPARE_WITH_TIMEOUT(a->getHostsCount() + b->getHostsCount(), 0, 10000);
        QCOMPARE(a_stopped.at(0), QVariantList({kLocal}));
        QCOMPARE(b_stopped.at(0), QVariantList({kLocal}));
        QVERIFY(a_update.count() >= 1 && b_update.count() >= 1);
        QTRY_VERIFY(!a_mirror && !b_mirror);
        emit a->sigCloseConnection(kLocal); // no host: nothing happens
    }
}

void TestConnector::answersWhetherALinkMayBeOpened()
{
    TestHost a;
    QCOMPARE(a->isConnectable(kLocal), QString()); // not the address it reports
    const QString own = a->getLocalIP();
    QCOMPARE(a->isConnectable(own), QStringLiteral("Can not connect to localhost."));
    QVERIFY(own != kLocal);
    QVERIFY(!a->getLocalName().isEmpty());
    QCOMPARE(a->getHostsCount(), 0);
    QCOMPARE(a->getModel(0), nullptr);
    QCOMPARE(a->getHostsIP(3), QString());
}

// The user hears once that the port is taken; the connector keeps trying, and once the port
// is free other hosts can link again.
void TestConnector::busyPortIsReportedAndTriedAgain()
{
    auto holder = std::make_unique<TestHost>();
    const quint16 port = holder->port;
    TestHost a;
    LocalShare share;
    share.password = [] {
        return QString();
    };
    share.transfer_root = a.root;
    CConnector b(share);
    QSignalSpy failed(&b, &CConnector::sigStartServerFailed);
    QSignalSpy state(&b, &CConnector::sigServerStateChanged);
    b.setServerRetry(100);
    b.StartServer(port);
    QCOMPARE(failed.count(), 1);
    QVERIFY(!failed.at(0).at(0).toString().isEmpty());
    QCOMPARE(b.serverProblem(), failed.at(0).at(0).toString());
    QTest::qWait(350); // a few retries, still busy: no more reports
    QCOMPARE(failed.count(), 1);

    holder.reset();
    QTRY_VERIFY(b.serverProblem().isEmpty());
    QCOMPARE(b.serverPort(), port);
    QCOMPARE(state.count(), 2); // unreachable, then reachable
    QSignalSpy result(a.connector.get(), &CConnector::sigConnectResult);
    a->connect2Server(kLocal, QString(), port);
    QVERIFY(result.wait(10000));
    QCOMPARE(result.at(0), QVariantList({true, QString()}));
}

TOLVANE_TEST_MAIN(TestConnector)
#include "tst_connector.moc"
