// A linked host of the tests' own, written from the wire format with a raw WebSocket over a
// plain TCP socket, against a real connector: a peer that behaves, and one that probes for
// files it was never shown, writes outside the transfer folder, floods and sends garbage.
// Whatever it does, nothing leaks, nothing lands outside the transfer folder and the
// program keeps answering.
#include "datasync/host_container.h"
#include "datasync/link_admission.h"
#include "datasync/transfer_parser.h"
#include "isolated_env.h"
#include "item/history_file.h"
#include "item/item_limits.h"
#include "item/storage_paths.h"
#include "process_memory.h"
#include "raw_websocket.h"
#include "test_host.h"
#include "test_items.h"
#include "wire_bytes.h"

#include <QBuffer>
#include <QDirIterator>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTcpServer>

#include <algorithm>
#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const QString kLocal = QStringLiteral("127.0.0.1");
const QString kPwd = QStringLiteral("secret");

std::unique_ptr<RawWebSocket> Join(const TestHost &host, bool give_password = true,
                                   const QHostAddress &from = QHostAddress())
{
    auto peer = std::make_unique<RawWebSocket>();
    if (!peer->connectTo(host.port, from))
        return nullptr;
    if (give_password) {
        peer->sendText(QStringLiteral("??tag_pwd#") + kPwd);
        QString ok, os;
        if (!peer->waitForText(ok) || ok != QLatin1String("!!tag_pwd#ok") ||
            !peer->waitForText(os) || os != QLatin1String("??tag_os#"))
            return nullptr;
    }
    return peer;
}

// One password on a fresh link from the address; the answer, "no link" or "no answer".
QString Guess(const TestHost &victim, const QString &pwd, const QHostAddress &from)
{
    auto peer = Join(victim, false, from);
    if (!peer)
        return QStringLiteral("no link");
    peer->sendText(QStringLiteral("??tag_pwd#") + pwd);
    QString reply;
    if (!peer->waitForText(reply, 5000))
        return QStringLiteral("no answer");
    if (reply != QLatin1String("!!tag_pwd#ok"))
        peer->waitForClosed(5000);
    return reply;
}

QHostAddress Loopback(int n)
{
    return QHostAddress(QStringLiteral("127.0.0.%1").arg(n));
}

// A listener that takes connections and never reads: what is sent stays in the kernel's
// buffers, as with a host whose downloads stall.
struct StallingSink
{
    int fd = -1;
    quint16 port = 0;
    QVector<int> taken;

    bool listen()
    {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&addr), len) != 0 ||
            ::listen(fd, 64) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
            return false;
        port = ntohs(addr.sin_port);
        return true;
    }
    // The connections made so far.
    int takeAll()
    {
        for (int c; (c = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;)
            taken << c;
        return taken.size();
    }
    ~StallingSink()
    {
        for (int c : taken)
            ::close(c);
        if (fd >= 0)
            ::close(fd);
    }
};

// The program still answers on a working link.
bool StillAnswers(RawWebSocket &peer)
{
    peer.sendText(QStringLiteral("??tag_os#"));
    QString reply;
    return peer.waitForText(reply) && reply == QLatin1String("!!tag_os#w");
}

// Every file below the test's private root (HOME, cache, temp), with its size.
QMap<QString, qint64> Snapshot()
{
    QMap<QString, qint64> out;
    QDir root(QDir::tempPath());
    root.cdUp();
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        out.insert(it.filePath(), it.fileInfo().size());
    }
    return out;
}

// The files that appeared since the snapshot, sorted.
QStringList AddedSince(const QMap<QString, qint64> &before)
{
    const QMap<QString, qint64> after = Snapshot();
    QStringList added;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!before.contains(it.key()))
            added << it.key();
    }
    added.sort();
    return added;
}

QByteArray HistoryBytes(const QStringList &plains)
{
    QVector<CBData> rows;
    for (const QString &p : plains)
        rows.append(TextItem(p));
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    HistoryFile::Write(buf, rows);
    return out;
}

// The program asks the peer for a file, as a download from the views does.
bool AskFor(TestHost &host, RawWebSocket &peer, const QString &path)
{
    host->downloadFile(kLocal, path, QString());
    QString request;
    return peer.waitForText(request) && request.startsWith("??tag_normal_file#" + path);
}

// The program asks the peer for its history, as at the end of the handshake.
bool AskForHistory(RawWebSocket &peer)
{
    peer.sendText(QStringLiteral("!!tag_host#peer"));
    QString request;
    return peer.waitForText(request) && request == QLatin1String("??tag_normal_file#history");
}

// Announces a file to the program and returns the port its receiver listens on (0: none).
quint16 Announce(RawWebSocket &peer, const QString &path, qint64 size)
{
    peer.sendBinary(WireBytes::FileRequest(path, size));
    QByteArray reply;
    if (!peer.waitForBinary(reply, 5000))
        return 0;
    const WireBytes::Decoded d = WireBytes::Decode(reply);
    return d.body == 3 && d.accept && d.path == path ? quint16(d.port) : 0;
}
} // namespace

class TestHostilePeer : public QObject
{
    Q_OBJECT

private slots:
    void nothingIsAnsweredBeforeThePassword();
    void silentPeerIsDropped();
    void wrongPasswordCloses();
    void passwordGuessingIsThrottled();
    void requestsForUnsharedFilesLeakNothing();
    void responsesForFilesNeverOfferedSendNothing();
    void fileNamesFromThePeerStayInTheTransferFolder();
    void unaskedFilesWriteNothing();
    void receiverTakesOneConnectionFromThePeerOnly();
    void everyAcceptanceGetsItsFile();
    void downloadsLandWhereChosen_data();
    void downloadsLandWhereChosen();
    void shortTransferIsReported();
    void garbageHistoryLeavesTheHostUninitialised();
    void randomBinaryIsIgnored();
    void oversizedMessagesCloseTheLink();
    void conformingPeerLinksAsServer();
    void clientSpeaksFirstAndWaitsForTheAnswer();
    void fullServerRefusalReachesTheUser();
    void nonReadingFloodIsBounded_data();
    void nonReadingFloodIsBounded();
    void strangersTakeNoPlace();
    void resetByAStrangerIsNotShown_data();
    void resetByAStrangerIsNotShown();
    void guessesFromManyAddressesAreLimitedTogether();
    void stalledDownloadsAreBounded();
    void giantMirrorHistoryIsCapped();
    void historyRequestFloodIsAnsweredSparingly();
};

void TestHostilePeer::nothingIsAnsweredBeforeThePassword()
{
    TestHost victim(kPwd);
    const QString shared = victim.shareFile("a.txt", "private");
    const QString md5 = victim.shareImage("png");
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
    auto peer = Join(victim, false);
    QVERIFY(peer);
    for (const QString &cmd :
         {QStringLiteral("??tag_normal_file#history"),
          QStringLiteral("??tag_normal_file#") + shared + QStringLiteral("**##!!"),
          QStringLiteral("??tag_normal_file#/_*tag_file_img*/_") + md5, QStringLiteral("??tag_os#"),
          QStringLiteral("??tag_host#"), QStringLiteral("!!tag_host#x")})
        peer->sendText(cmd);
    peer->sendBinary(WireBytes::FileRequest("/x/planted.txt", 3));
    peer->sendBinary(WireBytes::FileResponse(true, listener.serverPort(), shared));
    peer->sendText(QStringLiteral("??tag_pwd#") + kPwd);
    // One stream, in order: the first answer is the one to the password.
    QString first, second;
    QVERIFY(peer->waitForText(first));
    QCOMPARE(first, QStringLiteral("!!tag_pwd#ok"));
    QVERIFY(peer->waitForText(second));
    QCOMPARE(second, QStringLiteral("??tag_os#"));
    QVERIFY(peer->drain(300).isEmpty());
    QVERIFY(!listener.hasPendingConnections());
    QVERIFY(!QFile::exists(victim.root + kLocal + "/planted.txt"));
}

void TestHostilePeer::silentPeerIsDropped()
{
    TestHost victim(kPwd);
    auto peer = Join(victim, false);
    QVERIFY(peer);
    QElapsedTimer t;
    t.start();
    QTest::qWait(300);
    QCOMPARE(victim->getHostsCount(), 0); // a link without its password takes no place
    // Dropped without waiting for a closing handshake the peer would never answer.
    QTRY_VERIFY_WITH_TIMEOUT(peer->isTcpClosed(), 30000);
    QVERIFY(t.elapsed() >= 8000);
}

void TestHostilePeer::wrongPasswordCloses()
{
    TestHost victim(kPwd);
    auto peer = Join(victim, false);
    QVERIFY(peer);
    peer->sendText(QStringLiteral("??tag_pwd#Secret"));
    QString reply;
    QVERIFY(peer->waitForText(reply));
    QCOMPARE(reply, QStringLiteral("!!tag_pwd#err"));
    QVERIFY(peer->waitForClosed(10000));
    QCOMPARE(peer->closeCode(), 1000);
    // The peer never answers the close frame; the program ends the connection anyway.
    QTRY_VERIFY_WITH_TIMEOUT(peer->isTcpClosed(), 30000);
    QTRY_COMPARE(victim->getHostsCount(), 0);
}

void TestHostilePeer::passwordGuessingIsThrottled()
{
    TestHost victim(kPwd);
    const int window_ms = 4000;
    victim->passwordThrottle().setWindow(window_ms);
    const auto guess = [&](const QString &pwd, const QHostAddress &from) {
        return Guess(victim, pwd, from);
    };
    const QHostAddress other(QStringLiteral("127.0.0.2"));
    QElapsedTimer blocked;
    for (int i = 0; i < PasswordThrottle::kMaxFailures; ++i)
        QCOMPARE(guess(QStringLiteral("guess%1").arg(i), QHostAddress()),
                 QStringLiteral("!!tag_pwd#err"));
    blocked.start();
    // Even the right password is not answered now: the link is closed unheard.
    const QString unheard = guess(kPwd, QHostAddress());
    QVERIFY2(unheard == "no answer" || unheard == "no link", qPrintable(unheard));
    QTRY_COMPARE(victim->getHostsCount(), 0);
    // Another address is not affected.
    QCOMPARE(guess(kPwd, other), QStringLiteral("!!tag_pwd#ok"));
    QTRY_COMPARE(victim->getHostsCount(), 0);
    // After the window the address may link again.
    QVERIFY(QTest::qWaitFor([&] { return guess(kPwd, QHostAddress()) == "!!tag_pwd#ok"; }, 30000));
    QVERIFY2(blocked.elapsed() >= window_ms - 1000, qPrintable(QString::number(blocked.elapsed())));
}

void TestHostilePeer::requestsForUnsharedFilesLeakNothing()
{
    TestHost victim(kPwd);
    const QString shared = victim.shareFile("a.txt", "shared");
    const QString md5 = victim.shareImage("png");
    QFile::copy(StoragePaths::ImgPath(md5), StoragePaths::ImgPath(md5.toUpper()));
    auto peer = Join(victim);
    QVERIFY(peer);
    const QString file_head = QStringLiteral("??tag_normal_file#");
    const QString img_head = file_head + QStringLiteral("/_*tag_file_img*/_");
    const QStringList paths = {"/etc/hostname",
                               "../../../../../../etc/passwd",
                               shared + "/../../../../../../etc/hostname",
                               QFileInfo(shared).path(),
                               StoragePaths::ClipboardHistoryFile(),
                               StoragePaths::ImgPath(md5),
                               QDir::homePath() + "/.config/Marden/Tolvane.conf"};
    for (const QString &p : paths)
        peer->sendText(file_head + p + "**##!!/tmp/x");
    const QStringList keys = {"../../../../etc/passwd", md5.toUpper(), md5 + "/"};
    for (const QString &key : keys)
        peer->sendText(img_head + key);
    // Each gets "not found", with the path as asked; no file is offered.
    for (const QString &p : paths) {
        RawWebSocket::Message m;
        QVERIFY(peer->waitForMessage(m));
        QVERIFY(m.is_text);
        QCOMPARE(QString::fromUtf8(m.data), "!!tag_normal_file_error#not_found" + p);
    }
    for (const QString &key : keys) {
        RawWebSocket::Message m;
        QVERIFY(peer->waitForMessage(m));
        QVERIFY(m.is_text);
        QCOMPARE(QString::fromUtf8(m.data),
                 "!!tag_normal_file_error#not_found" + StoragePaths::ImgPath(key));
    }
    QVERIFY(StillAnswers(*peer));
}

void TestHostilePeer::responsesForFilesNeverOfferedSendNothing()
{
    TestHost victim(kPwd);
    const QString shared = victim.shareFile("a.txt", "shared");
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
    auto peer = Join(victim);
    QVERIFY(peer);
    for (const QString &p : {QStringLiteral("/etc/hostname"), shared,
                             StoragePaths::ClipboardHistoryFile(), victim.root + "history"})
        peer->sendBinary(WireBytes::FileResponse(true, listener.serverPort(), p));
    QVERIFY(!listener.waitForNewConnection(1000));
    QVERIFY(StillAnswers(*peer));
}

void TestHostilePeer::fileNamesFromThePeerStayInTheTransferFolder()
{
    TestHost victim(kPwd);
    auto peer = Join(victim);
    QVERIFY(peer);
    const QMap<QString, qint64> before = Snapshot();
    QSignalSpy err(victim.connector.get(), &CConnector::sigFileDownloadErr);
    QSignalSpy done(victim.connector.get(), &CConnector::sigFileDownloaded);
    const struct
    {
        const char *announced;
        const char *stored;
    } good[] = {{"/x/../../evil1.txt", "evil1.txt"},
                {"..\\..\\..\\evil2.txt", "evil2.txt"},
                {"/tmp/evil3.txt", "evil3.txt"},
                {"a/b/c/../../../../evil4.txt", "evil4.txt"},
                {"/home/user/.bashrc", ".bashrc"}};
    for (const auto &g : good) {
        QVERIFY(AskFor(victim, *peer, QString::fromUtf8(g.announced)));
        const quint16 port = Announce(*peer, QString::fromUtf8(g.announced), 3);
        QVERIFY2(port != 0, g.announced);
        QVERIFY(SendOverTcp(port, "bad"));
    }
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 5, 20000);
    for (const QString &refused :
         {QString(""), QString("."), QString(".."), QString("/a/b/"), QString("/x/..")})
        peer->sendBinary(WireBytes::FileRequest(refused, 3));
    QTRY_COMPARE(err.count(), 5);
    QVERIFY(StillAnswers(*peer)); // and no acceptance came before that answer

    const QString inbox = victim.root + kLocal + "/";
    const QStringList added = AddedSince(before);
    QStringList expected;
    for (const auto &g : good)
        expected << inbox + QString::fromUtf8(g.stored);
    expected.sort();
    QCOMPARE(added, expected);
    QVERIFY(!QFile::exists("/tmp/evil3.txt") || ReadFile("/tmp/evil3.txt") != "bad");
}

void TestHostilePeer::unaskedFilesWriteNothing()
{
    TestHost victim(kPwd);
    auto peer = Join(victim);
    QVERIFY(peer);
    QSignalSpy err(victim.connector.get(), &CConnector::sigFileDownloadErr);
    QSignalSpy started(victim.connector.get(), &CConnector::sigFileDownloadStarted);
    const QMap<QString, qint64> before = Snapshot();
    const QString why = QStringLiteral("The host sent a file that was not asked for.");
    // Never asked for; the history before this host gave its own; a file asked once and
    // announced twice.
    QSignalSpy done(victim.connector.get(), &CConnector::sigFileDownloaded);
    QVERIFY(AskFor(victim, *peer, QStringLiteral("/x/asked.txt")));
    const quint16 port = Announce(*peer, QStringLiteral("/x/asked.txt"), 2);
    QVERIFY(SendOverTcp(port, "ok"));
    QVERIFY(done.wait(10000));
    const QStringList refused = {"/x/plain.txt", "C:/Users/x/history", "/x/asked.txt",
                                 "/x/big.iso"};
    for (const QString &path : refused)
        peer->sendBinary(WireBytes::FileRequest(path, path.endsWith("iso") ? 1LL << 40 : 3));
    QVERIFY(StillAnswers(*peer)); // and no acceptance came before that answer
    QTRY_COMPARE(err.count(), refused.size());
    for (int i = 0; i < refused.size(); ++i)
        QCOMPARE(err.at(i), QVariantList({refused.at(i), kLocal, why}));
    QCOMPARE(started.count(), 1);

    QCOMPARE(AddedSince(before), QStringList({victim.root + kLocal + "/asked.txt"}));
}

void TestHostilePeer::receiverTakesOneConnectionFromThePeerOnly()
{
    TestHost victim(kPwd);
    auto peer = Join(victim);
    QVERIFY(peer);
    QSignalSpy done(victim.connector.get(), &CConnector::sigFileDownloaded);
    QVERIFY(AskFor(victim, *peer, QStringLiteral("/x/data.bin")));
    const quint16 port = Announce(*peer, QStringLiteral("/x/data.bin"), 6);
    QVERIFY(port != 0);

    // The peer is on this machine: its file may come from another of its addresses. (A
    // stranger elsewhere is refused; the receiver's own test shows that.)
    QTcpSocket first;
    QVERIFY(first.bind(QHostAddress(QStringLiteral("127.0.0.2"))));
    first.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(first.waitForConnected(5000));
    first.write("abc");
    first.flush();
    QTcpSocket second;
    second.connectToHost(QHostAddress::LocalHost, port);
    QTRY_COMPARE(second.state(), QAbstractSocket::UnconnectedState);
    first.write("def");
    first.disconnectFromHost();
    QVERIFY(done.wait(10000));
    QCOMPARE(ReadFile(victim.root + kLocal + "/data.bin"), QByteArray("abcdef"));
}

// A peer that asks for a file twice accepts both announcements, late: each acceptance gets
// the file as it was announced, though it was replaced (and grew) in between.
void TestHostilePeer::everyAcceptanceGetsItsFile()
{
    TestHost victim(kPwd);
    const QString shared = victim.shareFile("twice.txt", "first");
    auto peer = Join(victim);
    QVERIFY(peer);
    QVector<WireBytes::Decoded> offers;
    for (const QByteArray &content : {QByteArray("first"), QByteArray("second, longer")}) {
        QVERIFY(QFile::remove(shared));
        QVERIFY(WriteFile(shared, content));
        peer->sendText("??tag_normal_file#" + shared + "**##!!/tmp/x");
        for (RawWebSocket::Message m; peer->waitForMessage(m);) {
            if (m.is_text)
                continue; // its own history, pushed after the link
            offers << WireBytes::Decode(m.data);
            break;
        }
    }
    QCOMPARE(offers.size(), 2);
    QCOMPARE(offers.at(0).size, qint64(5));
    QCOMPARE(offers.at(1).size, qint64(14));
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
    for (int i = 0; i < 2; ++i)
        peer->sendBinary(WireBytes::FileResponse(true, listener.serverPort(), shared));
    QByteArrayList got;
    for (int i = 0; i < 2; ++i) {
        QVERIFY(QTest::qWaitFor([&] { return listener.hasPendingConnections(); }, 10000));
        QTcpSocket *in = listener.nextPendingConnection();
        QVERIFY(QTest::qWaitFor([in] { return in->state() == QAbstractSocket::UnconnectedState; },
                                10000));
        got << in->readAll();
    }
    std::sort(got.begin(), got.end());
    // Each as it was announced, though the file now holds the second content.
    QCOMPARE(got, QByteArrayList({"first", "second, longer"}));
}

void TestHostilePeer::downloadsLandWhereChosen_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("announced");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("drive letter case and separators") << "c:/data/a.txt"
                                                      << "C:\\data\\a.txt" << QByteArray("abc");
    QTest::newRow("a cleaned form") << "/x//y/../b.txt"
                                    << "/x/b.txt" << QByteArray("b");
    // The peer has nothing to write and never closes: the file is complete at once.
    QTest::newRow("an empty file") << "/x/empty.txt"
                                   << "/x/empty.txt" << QByteArray();
}

// The peer announces the asked file in its own form: it lands at the chosen path, and
// success is reported there.
void TestHostilePeer::downloadsLandWhereChosen()
{
    QFETCH(QString, asked);
    QFETCH(QString, announced);
    QFETCH(QByteArray, content);
    TestHost victim(kPwd);
    auto peer = Join(victim);
    QVERIFY(peer);
    QSignalSpy done(victim.connector.get(), &CConnector::sigFileDownloaded);
    const QString chosen = victim.dir.path() + "/chosen.txt";
    victim->downloadFile(kLocal, asked, chosen);
    QString request;
    QVERIFY(peer->waitForText(request));
    QCOMPARE(request, "??tag_normal_file#" + asked + "**##!!" + chosen);
    const quint16 port = Announce(*peer, announced, content.size());
    QVERIFY(port != 0);
    QTcpSocket sender;
    sender.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(sender.waitForConnected(5000));
    sender.write(content);
    if (!content.isEmpty())
        sender.disconnectFromHost();
    QVERIFY(done.wait(10000)); // well within the receiver's time-out
    QCOMPARE(done.at(0), QVariantList({chosen, kLocal}));
    QCOMPARE(ReadFile(chosen), content);
    QVERIFY(QFileInfo(chosen).isFile());
}

void TestHostilePeer::shortTransferIsReported()
{
    TestHost victim(kPwd);
    auto peer = Join(victim);
    QVERIFY(peer);
    QSignalSpy err(victim.connector.get(), &CConnector::sigFileDownloadErr);
    QSignalSpy done(victim.connector.get(), &CConnector::sigFileDownloaded);
    QVERIFY(AskFor(victim, *peer, QStringLiteral("/x/short.bin")));
    const quint16 port = Announce(*peer, QStringLiteral("/x/short.bin"), 100);
    QVERIFY(SendOverTcp(port, QByteArray(50, 's')));
    QVERIFY(err.wait(10000));
    QCOMPARE(err.at(0),
             QVariantList({victim.root + kLocal + "/short.bin", kLocal, "Unknow error"}));
    QCOMPARE(done.count(), 0);
    QVERIFY(!QFile::exists(victim.root + kLocal + "/short.bin"));
}

void TestHostilePeer::garbageHistoryLeavesTheHostUninitialised()
{
    TestHost victim(kPwd);
    auto peer = Join(victim);
    QVERIFY(peer);
    QSignalSpy update(victim.connector.get(), &CConnector::sigUpdateConnection);
    QSignalSpy done(victim.connector.get(), &CConnector::sigFileDownloaded);
    QVERIFY(AskForHistory(*peer));
    const quint16 port = Announce(*peer, QStringLiteral("C:/Users/x/history"), 64);
    QVERIFY(SendOverTcp(port, QByteArray(64, '\xA4')));
    QVERIFY(done.wait(10000));
    QCOMPARE(done.at(0), QVariantList({victim.root + kLocal + "/history", kLocal}));
    QTRY_VERIFY(update.count() >= 1); // read off the interface's thread
    QCOMPARE(victim->isInit(0), false);
    QCOMPARE(victim->getModel(0)->rowCount(), 0);
    QVERIFY(StillAnswers(*peer));
}

void TestHostilePeer::randomBinaryIsIgnored()
{
    TestHost victim(kPwd);
    auto peer = Join(victim);
    QVERIFY(peer);
    QSignalSpy err(victim.connector.get(), &CConnector::sigFileDownloadErr);
    QRandomGenerator rng(1234);
    for (int i = 0; i < 300; ++i) {
        QByteArray junk(int(rng.bounded(1, 2048)), Qt::Uninitialized);
        for (char &c : junk)
            c = char(rng.bounded(256));
        peer->sendBinary(junk);
    }
    QVERIFY(StillAnswers(*peer));
    QCOMPARE(victim->getHostsCount(), 1);
}

void TestHostilePeer::oversizedMessagesCloseTheLink()
{
    TestHost victim(kPwd);
    // Each on a fresh link: the message closes it, and the place is free again.
    const auto closes = [&](const std::function<void(RawWebSocket &)> &send, int code) {
        auto peer = Join(victim);
        if (!peer)
            return false;
        send(*peer);
        const bool closed = peer->waitForClosed(10000) && (code == 0 || peer->closeCode() == code);
        return closed && QTest::qWaitFor([&] { return victim->getHostsCount() == 0; }, 10000);
    };
    {
        auto peer = Join(victim);
        QVERIFY(peer);
        peer->sendText(QString(64 * 1024, QLatin1Char('a'))); // at the cap: fine, and unknown
        QVERIFY(StillAnswers(*peer));
    }
    QTRY_COMPARE(victim->getHostsCount(), 0);
    QVERIFY(closes([](RawWebSocket &p) { p.sendText(QString(64 * 1024 + 1, QLatin1Char('a'))); },
                   1009));
    // 90 000 bytes in fewer characters than the cap.
    QVERIFY(closes([](RawWebSocket &p) { p.sendText(QString(30000, QChar(0x20AC))); }, 1009));
    QVERIFY(closes([](RawWebSocket &p) { p.sendBinary(QByteArray(1024 * 1024 + 1, 'b')); }, 0));
    // Fragments that only add up to too much.
    QVERIFY(closes(
        [](RawWebSocket &p) {
            p.sendFrame(0x2, QByteArray(600 * 1024, 'c'), false);
            p.sendFrame(0x0, QByteArray(600 * 1024, 'c'), true);
        },
        0));
    auto after = Join(victim);
    QVERIFY(after);
    QVERIFY(StillAnswers(*after));
}

void TestHostilePeer::conformingPeerLinksAsServer()
{
    TestHost victim(kPwd);
    FillTextRows(victim.clip, {"v1", "v2"});
    QTcpServer tcp;
    QVERIFY(tcp.listen(QHostAddress::LocalHost, 0));
    auto peer = Join(victim); // received "!!tag_pwd#ok" and then "??tag_os#"
    QVERIFY(peer);
    QString msg;

    peer->sendText(QStringLiteral("!!tag_os#m"));
    QVERIFY(peer->waitForText(msg));
    QCOMPARE(msg, QStringLiteral("??tag_host#"));
    peer->sendText(QStringLiteral("!!tag_host#peer-box"));
    QVERIFY(peer->waitForText(msg));
    QCOMPARE(msg, QStringLiteral("??tag_normal_file#history"));

    peer->sendText(QStringLiteral("??tag_os#"));
    QVERIFY(peer->waitForText(msg));
    QCOMPARE(msg, QStringLiteral("!!tag_os#w"));
    peer->sendText(QStringLiteral("??tag_host#"));
    QVERIFY(peer->waitForText(msg));
    QCOMPARE(msg, QStringLiteral("!!tag_host#") + QSysInfo::machineHostName());
    peer->sendText(QStringLiteral("??tag_normal_file#history"));
    QByteArray bin;
    QVERIFY(peer->waitForBinary(bin));
    WireBytes::Decoded offer = WireBytes::Decode(bin);
    QCOMPARE(offer.body, 2);
    QCOMPARE(QFileInfo(offer.path).fileName(), QStringLiteral("history"));
    peer->sendBinary(WireBytes::FileResponse(true, tcp.serverPort(), offer.path));
    QVERIFY(QTest::qWaitFor([&] { return tcp.hasPendingConnections(); }, 10000));
    QTcpSocket *in = tcp.nextPendingConnection();
    QByteArray body;
    QVERIFY(QTest::qWaitFor(
        [&] {
            body += in->readAll();
            return in->state() == QAbstractSocket::UnconnectedState;
        },
        10000));
    QCOMPARE(qint64(body.size()), offer.size);
    QBuffer buf(&body);
    buf.open(QIODevice::ReadOnly);
    const HistoryFile::ReadResult history = HistoryFile::Read(buf);
    QCOMPARE(history.rows.size(), 2);
    QCOMPARE(history.rows.at(0).plain, QStringLiteral("v1"));

    // Not initialised yet: a local change is not pushed.
    victim.clip.prependItem(TextItem(QStringLiteral("v0")));
    QVERIFY(peer->drain(500).isEmpty());
    QCOMPARE(victim->isInit(0), false);

    // The peer's own history arrives; from now on changes are pushed.
    const QByteArray mine = HistoryBytes({"p1", "p2", "p3"});
    const quint16 port = Announce(
        *peer, QStringLiteral("C:/Users/p/AppData/Local/Temp/Tolvane/history"), mine.size());
    QVERIFY(port != 0);
    QVERIFY(SendOverTcp(port, mine));
    QTRY_VERIFY_WITH_TIMEOUT(victim->isInit(0), 10000);
    QCOMPARE(victim->getHostsOs(0), QStringLiteral("osx"));
    QCOMPARE(victim->getHostsName(0), QStringLiteral("peer-box"));
    QCOMPARE(Plains(victim->getModel(0)), QStringList({"p1", "p2", "p3"}));
    victim.clip.prependItem(TextItem(QStringLiteral("pushed")));
    QVERIFY(peer->waitForBinary(bin));
    offer = WireBytes::Decode(bin);
    QCOMPARE(offer.body, 2);
    QCOMPARE(QFileInfo(offer.path).fileName(), QStringLiteral("history"));

    // The peer had this host's history, so it pushes its own unasked when its list changes.
    const QByteArray changed = HistoryBytes({"p0", "p1", "p2", "p3"});
    const quint16 push_port = Announce(
        *peer, QStringLiteral("C:/Users/p/AppData/Local/Temp/Tolvane/history"), changed.size());
    QVERIFY(push_port != 0);
    QVERIFY(SendOverTcp(push_port, changed));
    QTRY_COMPARE_WITH_TIMEOUT(Plains(victim->getModel(0)), QStringList({"p0", "p1", "p2", "p3"}),
                              10000);
}

void TestHostilePeer::clientSpeaksFirstAndWaitsForTheAnswer()
{
    RawWebSocketServer server;
    QVERIFY(server.listen());
    TestHost user;
    FillTextRows(user.clip, {"u1"});
    QSignalSpy result(user.connector.get(), &CConnector::sigConnectResult);
    user->connect2Server(kLocal, QStringLiteral("pw 1"), server.port());
    RawWebSocket *peer = server.accept();
    QVERIFY(peer);
    QString msg;
    QVERIFY(peer->waitForText(msg));
    QCOMPARE(msg, QStringLiteral("??tag_pwd#pw 1"));
    // Asked before the answer: the client must not serve anything yet.
    peer->sendText(QStringLiteral("??tag_normal_file#history"));
    peer->sendText(QStringLiteral("??tag_os#"));
    QVERIFY(peer->drain(300).isEmpty());
    QCOMPARE(result.count(), 0);

    peer->sendText(QStringLiteral("!!tag_pwd#ok"));
    QVERIFY(peer->waitForText(msg));
    QCOMPARE(msg, QStringLiteral("??tag_os#"));
    QVERIFY(result.count() == 1 || result.wait(5000));
    QCOMPARE(result.at(0), QVariantList({true, QString()}));
    QCOMPARE(user->getHostsCount(), 1);
    peer->sendText(QStringLiteral("??tag_os#"));
    QVERIFY(peer->waitForText(msg));
    QCOMPARE(msg, QStringLiteral("!!tag_os#w"));
}

void TestHostilePeer::fullServerRefusalReachesTheUser()
{
    RawWebSocketServer server;
    QVERIFY(server.listen());
    TestHost user;
    QSignalSpy result(user.connector.get(), &CConnector::sigConnectResult);
    user->connect2Server(kLocal, QString(), server.port());
    RawWebSocket *peer = server.accept();
    QVERIFY(peer);
    peer->sendText(QStringLiteral("??tag_connection_err#"));
    QVERIFY(result.wait(10000));
    QCOMPARE(result.at(0), QVariantList({false, "The server can only support two clients."}));
    QVERIFY(peer->waitForClosed(10000));
    QTRY_COMPARE(user->getHostsCount(), 0);
}

void TestHostilePeer::nonReadingFloodIsBounded_data()
{
    QTest::addColumn<bool>("password");
    QTest::addColumn<bool>("pings"); // WebSocket pings, else requests echoing a long path
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<bool>("dropped");
    const qint64 mib = 1024 * 1024;
    // The socket library answers pings by itself: past the cap the link goes.
    QTest::newRow("pings before the password") << false << true << 96 * mib << true;
    QTest::newRow("pings after the password") << true << true << 96 * mib << true;
    // Requests are not answered before the password, and not past the soft cap after it.
    QTest::newRow("requests before the password") << false << false << 160 * mib << false;
    QTest::newRow("requests after the password") << true << false << 160 * mib << false;
}

void TestHostilePeer::nonReadingFloodIsBounded()
{
    QFETCH(bool, password);
    QFETCH(bool, pings);
    QFETCH(qint64, bytes);
    QFETCH(bool, dropped);
    TestHost victim(kPwd);
    auto peer = Join(victim, password);
    QVERIFY(peer);
    peer->stopReading();
    const QString path = "/" + QString(60000, QLatin1Char('p'));
    const QString request = "??tag_normal_file#" + path + "**##!!";
    const QByteArray ping(125, 'x');
    const qint64 base = RssKiB();
    qint64 peak = base;
    qint64 sent = 0;
    QElapsedTimer t;
    t.start();
    while (sent < bytes && !peer->isTcpClosed() && t.elapsed() < 60000) {
        // The peer's own queue stays small: what piles up is the program's.
        if (peer->bytesToWrite() < 512 * 1024) {
            for (int i = 0; i < (pings ? 2000 : 8); ++i) {
                if (pings)
                    peer->sendFrame(0x9, ping);
                else
                    peer->sendText(request);
                sent += pings ? ping.size() : request.size();
            }
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        peak = qMax(peak, RssKiB());
    }
    QTest::qWait(500);
    peak = qMax(peak, RssKiB());
    qInfo() << "flood" << sent / 1024 << "KiB in" << t.elapsed() << "ms; RSS" << base << "->"
            << peak << "KiB";
    QVERIFY2(peak - base < 50 * 1024, qPrintable(QString::number(peak - base)));
    if (dropped) {
        // Writing into a dropped connection ends it on the peer's side too.
        QVERIFY(QTest::qWaitFor(
            [&] {
                peer->sendFrame(0x9, ping);
                return peer->isTcpClosed();
            },
            10000));
        return;
    }
    QVERIFY2(sent >= bytes, qPrintable(QString::number(sent)));
    QVERIFY(!peer->isTcpClosed());
    peer->resumeReading();
    peer->drain(2000);
    if (password)
        QVERIFY(StillAnswers(*peer));
}

void TestHostilePeer::strangersTakeNoPlace()
{
    TestHost victim(kPwd);
    std::vector<std::unique_ptr<RawWebSocket>> silent;
    for (int i = 0; i <= HostContainer::kMaxPending; ++i) {
        silent.push_back(Join(victim, false, Loopback(10 + i)));
        QVERIFY(silent.back());
    }
    // The oldest made room for the newest; none of them is a host.
    QTRY_VERIFY(silent.front()->isTcpClosed());
    QVERIFY(!silent.back()->isTcpClosed());
    QCOMPARE(victim->getHostsCount(), 0);
    // While they sit there, a program and a peer of the spec's protocol both link.
    TestHost user;
    user.pwd = kPwd;
    QVERIFY(LinkHosts(user, victim));
    auto second = Join(victim, true, Loopback(2));
    QVERIFY(second);
    QTRY_COMPARE(victim->getHostsCount(), 2);
    // The places are taken now: a third is told so.
    auto third = std::make_unique<RawWebSocket>();
    QVERIFY(third->connectTo(victim.port, Loopback(3)));
    QString msg;
    QVERIFY(third->waitForText(msg));
    QCOMPARE(msg, QStringLiteral("??tag_connection_err#"));
}

void TestHostilePeer::resetByAStrangerIsNotShown_data()
{
    QTest::addColumn<QString>("before"); // what the peer sent before the reset
    QTest::addColumn<bool>("shown");
    QTest::newRow("nothing") << QString() << false;
    QTest::newRow("a wrong password") << QStringLiteral("??tag_pwd#wrong") << false;
    QTest::newRow("a request") << QStringLiteral("??tag_os#") << false;
    // The user's own host going away is worth telling.
    QTest::newRow("the right password") << QStringLiteral("??tag_pwd#") + kPwd << true;
}

void TestHostilePeer::resetByAStrangerIsNotShown()
{
    QFETCH(QString, before);
    QFETCH(bool, shown);
    TestHost victim(kPwd);
    QSignalSpy err(victim.connector.get(), &CConnector::sigConnectionErr);
    auto peer = Join(victim, false);
    QVERIFY(peer);
    if (!before.isEmpty())
        peer->sendText(before);
    if (shown)
        QTRY_COMPARE(victim->getHostsCount(), 1);
    else
        QTest::qWait(200);
    peer->reset();
    QTest::qWait(1000);
    QCOMPARE(err.count() > 0, shown);
    QTRY_COMPARE(victim->getHostsCount(), 0);
}

void TestHostilePeer::guessesFromManyAddressesAreLimitedTogether()
{
    TestHost victim(kPwd);
    victim->passwordThrottle().setWindow(600000);
    int evaluated = 0;
    for (int a = 0; a < 40; ++a) {
        for (int g = 0; g < 5; ++g)
            evaluated += Guess(victim, QString("guess%1-%2").arg(a).arg(g), Loopback(10 + a)) ==
                                 "!!tag_pwd#err"
                             ? 1
                             : 0;
    }
    QCOMPARE(evaluated, PasswordThrottle::kMaxGlobalFailures);
    // Not even the right password from an address that never guessed is checked now.
    const QString unheard = Guess(victim, kPwd, Loopback(99));
    QVERIFY2(unheard == "no answer" || unheard == "no link", qPrintable(unheard));
    // Once the failures leave the window, passwords are checked again.
    victim->passwordThrottle().setWindow(2000);
    QVERIFY(QTest::qWaitFor([&] { return Guess(victim, kPwd, Loopback(99)) == "!!tag_pwd#ok"; },
                            30000));
}

void TestHostilePeer::stalledDownloadsAreBounded()
{
    TestHost victim(kPwd);
    const int asked = 12;
    QStringList files;
    for (int i = 0; i < asked; ++i)
        files << victim.shareFile(QString("big%1.bin").arg(i), QByteArray(8 * 1024 * 1024, 'x'));
    StallingSink sink;
    QVERIFY(sink.listen());
    auto peer = Join(victim);
    QVERIFY(peer);
    const qint64 base = RssKiB();
    for (const QString &f : files)
        peer->sendText("??tag_normal_file#" + f + "**##!!");
    const int limit = CTransferAbstract::kMaxSendersPerLink;
    QStringList refused;
    int offers = 0;
    RawWebSocket::Message m;
    while (offers + refused.size() < asked + asked - limit && peer->waitForMessage(m, 5000)) {
        if (m.is_text) {
            refused << QString::fromUtf8(m.data);
            continue;
        }
        const WireBytes::Decoded offer = WireBytes::Decode(m.data);
        QCOMPARE(offer.body, 2);
        ++offers;
        peer->sendBinary(WireBytes::FileResponse(true, sink.port, offer.path));
    }
    QCOMPARE(offers, asked);
    QCOMPARE(refused.size(), asked - limit);
    for (const QString &r : refused)
        QVERIFY2(r.startsWith("!!tag_normal_file_error#unknown/"), qPrintable(r.left(80)));
    QTest::qWait(1500);
    QCOMPARE(sink.takeAll(), limit);
    const qint64 growth = RssKiB() - base;
    qInfo() << "RSS growth with" << limit << "stalled downloads:" << growth << "KiB";
    QVERIFY2(growth < 50 * 1024, qPrintable(QString::number(growth)));
    // Another request is told the same at once, and the link still works.
    peer->sendText("??tag_normal_file#" + files.first() + "**##!!");
    QString msg;
    QVERIFY(peer->waitForText(msg));
    QCOMPARE(msg, "!!tag_normal_file_error#unknown" + files.first());
    QVERIFY(StillAnswers(*peer));
}

void TestHostilePeer::giantMirrorHistoryIsCapped()
{
    TestHost victim(kPwd);
    auto peer = Join(victim);
    QVERIFY(peer);
    QVERIFY(AskForHistory(*peer));
    const int limit = LocalShare().itemLimit();
    QStringList plains;
    plains << QString(ItemLimits::kMaxTextLength + 1, QLatin1Char('g'));
    for (int i = 0; i < limit + 100; ++i)
        plains << QStringLiteral("tiny %1").arg(i);
    const QByteArray history = HistoryBytes(plains);
    const quint16 port = Announce(*peer, QStringLiteral("/p/history"), history.size());
    QVERIFY(port != 0);
    QVERIFY(SendOverTcp(port, history));
    QTRY_VERIFY_WITH_TIMEOUT(victim->isInit(0), 30000);
    const CCilpboardListModel *mirror = victim->getModel(0);
    QCOMPARE(mirror->rowCount(), limit);
    // HistoryBytes lists the first text as the newest: it is kept, cut to its beginning.
    QCOMPARE(mirror->items().at(0).plain.size(), ItemLimits::kPreviewChars);
    QCOMPARE(mirror->items().at(0).val.toString().size(), ItemLimits::kPreviewChars);
    QCOMPARE(mirror->items().at(1).plain, QStringLiteral("tiny 0"));
    QVERIFY(StillAnswers(*peer));
}

void TestHostilePeer::historyRequestFloodIsAnsweredSparingly()
{
    TestHost victim(kPwd);
    FillTextRows(victim.clip, {"v1", "v2"});
    auto peer = Join(victim);
    QVERIFY(peer);
    const auto offers_within = [&](int ms) {
        int n = 0;
        for (const RawWebSocket::Message &m : peer->drain(ms))
            n += !m.is_text && WireBytes::Decode(m.data).body == 2 ? 1 : 0;
        return n;
    };
    const auto burst = [&] {
        for (int i = 0; i < 200; ++i)
            peer->sendText(QStringLiteral("??tag_normal_file#history"));
    };
    // One answer at once, shared by every request that came before it went.
    burst();
    QCOMPARE(offers_within(2000), 1);
    // Requests within the interval share one answer at its end.
    burst();
    QCOMPARE(offers_within(CTransferParser::kHistoryAnswerIntervalMs + 1000), 1);
    QCOMPARE(offers_within(CTransferParser::kHistoryAnswerIntervalMs + 500), 0);
}

TOLVANE_TEST_MAIN(TestHostilePeer)
#include "tst_hostile_peer.moc"
