// File bodies over TCP between a real receiver and a real sender on loopback: chunking,
// progress, completeness, and every way a transfer can go wrong.
#include "datasync/tcp_file_reader.h"
#include "datasync/tcp_file_sender.h"
#include "isolated_env.h"
#include "test_host.h"

#include <QCryptographicHash>
#include <QPointer>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <memory>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const QString kLocal = QStringLiteral("127.0.0.1");
constexpr qint64 kMiB = 1024 * 1024;

QByteArray RandomBytes(qint64 size, quint32 seed)
{
    QByteArray out(int(size), Qt::Uninitialized);
    QRandomGenerator rng(seed);
    rng.fillRange(reinterpret_cast<quint32 *>(out.data()), int(size / 4));
    return out;
}

// A raw client that connects to a receiver, optionally from another local address.
struct RawSender
{
    bool open(quint16 port, const QHostAddress &from = QHostAddress())
    {
        if (!from.isNull() && !socket.bind(from))
            return false;
        socket.connectToHost(QHostAddress::LocalHost, port);
        return socket.waitForConnected(5000);
    }
    void sendAndClose(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
        socket.disconnectFromHost();
    }
    QTcpSocket socket;
};
} // namespace

class TestFileTransfer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void sendsTwentyFiveMiBInOneMiBChunks();
    void shortTransferIsAnError();
    void longerStreamIsTakenWithinBounds_data();
    void longerStreamIsTakenWithinBounds();
    void replacesALongerFileWhole();
    void emptyFileCompletesAtOnce();
    void unreadableSourceEndsTheTransfer();
    void acceptsOneConnectionFromTheLinkedHost_data();
    void acceptsOneConnectionFromTheLinkedHost();
    void snapshotIsSentAsAnnounced();
    void receiverGivesUpWithoutConnection();
    void receiverGivesUpOnAStalledSender();
    void receiverEndsWhenItsHostLeaves();
    void senderGivesUpOnAStalledReceiver();
    void senderReportsARefusedConnection();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestFileTransfer::sendsTwentyFiveMiBInOneMiBChunks()
{
    const QByteArray content = RandomBytes(25 * kMiB, 7);
    QVERIFY(WriteFile(path("big.src"), content));
    auto *reader = new CTcpFileReader(content.size(), path("big.dst"), kLocal);
    QCOMPARE(reader->start(), QString());
    QSignalSpy received(reader, &CTcpFileReader::sigReceived);
    QVector<int> rates;
    qint64 read_sum = 0;
    connect(reader, &CTcpFileReader::sigProgress, this,
            [&](const QString &name, const QString &ip, int rate, qlonglong size) {
                QCOMPARE(name, QStringLiteral("big.dst"));
                QCOMPARE(ip, kLocal);
                rates.append(rate);
                read_sum += size;
            });

    auto *sender = new CTcpFileSender(path("big.src"), kLocal);
    QSignalSpy sent(sender, &CTcpFileSender::sigSent);
    QSignalSpy started(sender, &CTcpFileSender::sigStarted);
    // Chunks show as the jumps of what waits to be written: each is handed over whole.
    QVector<qint64> queued;
    qint64 last_pending = 0;
    qint64 written = 0;
    int rate_at_sent = -1;
    int progress_after_sent = 0;
    int last_rate = -1;
    connect(sender, &QTcpSocket::connected, this, [&] {
        queued.append(sender->bytesToWrite());
        last_pending = sender->bytesToWrite();
    });
    qint64 most_pending = 0;
    connect(sender, &QTcpSocket::bytesWritten, this, [&](qint64 n) {
        written += n;
        most_pending = qMax(most_pending, sender->bytesToWrite());
        if (sender->bytesToWrite() > last_pending)
            queued.append(sender->bytesToWrite());
        last_pending = sender->bytesToWrite();
    });
    // Progress comes first for the same bytes, so sigSent finds the final rate in place.
    connect(sender, &CTcpFileSender::sigProgress, this, [&](const QString &, int r) {
        last_rate = r;
        if (rate_at_sent >= 0)
            ++progress_after_sent;
    });
    connect(sender, &CTcpFileSender::sigSent, this, [&] { rate_at_sent = last_rate; });
    sender->connectToHost(QHostAddress::LocalHost, reader->serverPort());

    QVERIFY(received.wait(60000));
    QCOMPARE(started.count(), 1);
    QCOMPARE(sent.count(), 1);
    // No more than one chunk ever waits in the socket.
    QCOMPARE(queued.first(), kMiB);
    QCOMPARE(*std::max_element(queued.begin(), queued.end()), kMiB);
    QCOMPARE(most_pending, kMiB);
    QCOMPARE(written, qint64(content.size()));
    QCOMPARE(rate_at_sent, 100);
    QCOMPARE(progress_after_sent, 0);
    QCOMPARE(read_sum, qint64(content.size()));
    QVERIFY(!rates.isEmpty());
    QCOMPARE(rates.last(), 100);
    QVERIFY(std::is_sorted(rates.begin(), rates.end()));
    QCOMPARE(rates.count(100), 1); // only the byte that completes the file makes it 100
    QCOMPARE(received.at(0), QVariantList({path("big.dst"), kLocal}));
    QCOMPARE(QCryptographicHash::hash(ReadFile(path("big.dst")), QCryptographicHash::Sha256),
             QCryptographicHash::hash(content, QCryptographicHash::Sha256));
}

void TestFileTransfer::shortTransferIsAnError()
{
    QVERIFY(WriteFile(path("short.dst"), "previous content"));
    auto *reader = new CTcpFileReader(100, path("short.dst"), kLocal);
    QCOMPARE(reader->start(), QString());
    QPointer<CTcpFileReader> guard(reader);
    QSignalSpy error(reader, &CTcpFileReader::sigError);
    QSignalSpy received(reader, &CTcpFileReader::sigReceived);
    RawSender raw;
    QVERIFY(raw.open(reader->serverPort()));
    raw.sendAndClose(QByteArray(50, 'x'));
    QVERIFY(error.wait(10000));
    QCOMPARE(error.at(0), QVariantList({path("short.dst"), kLocal, "Unknow error"}));
    QCOMPARE(received.count(), 0);
    QCOMPARE(ReadFile(path("short.dst")), QByteArray("previous content"));
    QTRY_VERIFY(!guard);
}

void TestFileTransfer::longerStreamIsTakenWithinBounds_data()
{
    QTest::addColumn<qint64>("announced");
    QTest::addColumn<qint64>("sent");
    QTest::addColumn<bool>("taken");
    // A file that grew between its announcement and its sending arrives whole.
    QTest::newRow("a little more") << qint64(10) << qint64(11) << true;
    QTest::newRow("up to the bound") << qint64(10) << CTcpFileReader::MaxStream(10) << true;
    QTest::newRow("beyond the bound") << qint64(10) << CTcpFileReader::MaxStream(10) + 1 << false;
}

void TestFileTransfer::longerStreamIsTakenWithinBounds()
{
    QFETCH(qint64, announced);
    QFETCH(qint64, sent);
    QFETCH(bool, taken);
    const QString dest = path(QStringLiteral("long-%1.dst").arg(sent));
    auto *reader = new CTcpFileReader(announced, dest, kLocal);
    QCOMPARE(reader->start(), QString());
    QSignalSpy error(reader, &CTcpFileReader::sigError);
    QSignalSpy received(reader, &CTcpFileReader::sigReceived);
    const QByteArray bytes = RandomBytes(sent, 3) + QByteArray(int(sent % 4), 'y');
    RawSender raw;
    QVERIFY(raw.open(reader->serverPort()));
    raw.sendAndClose(bytes.left(int(sent)));
    QVERIFY((taken ? received : error).wait(10000));
    QTest::qWait(100);
    QCOMPARE(received.count(), taken ? 1 : 0);
    QCOMPARE(error.count(), taken ? 0 : 1);
    if (taken)
        QCOMPARE(ReadFile(dest), bytes.left(int(sent)));
    else
        QVERIFY(!QFile::exists(dest));
}

void TestFileTransfer::replacesALongerFileWhole()
{
    QVERIFY(WriteFile(path("replace.dst"), QByteArray(100, 'o')));
    auto *reader = new CTcpFileReader(10, path("replace.dst"), kLocal);
    QCOMPARE(reader->start(), QString());
    QSignalSpy received(reader, &CTcpFileReader::sigReceived);
    RawSender raw;
    QVERIFY(raw.open(reader->serverPort()));
    raw.sendAndClose("0123456789");
    QVERIFY(received.wait(10000));
    QCOMPARE(ReadFile(path("replace.dst")), QByteArray("0123456789")); // no old tail
}

void TestFileTransfer::emptyFileCompletesAtOnce()
{
    QVERIFY(WriteFile(path("empty.src"), QByteArray()));
    auto *reader = new CTcpFileReader(0, path("empty.dst"), kLocal);
    QCOMPARE(reader->start(), QString());
    QSignalSpy received(reader, &CTcpFileReader::sigReceived);
    auto *sender = new CTcpFileSender(path("empty.src"), kLocal);
    QSignalSpy sent(sender, &CTcpFileSender::sigSent);
    QPointer<CTcpFileSender> guard(sender);
    sender->connectToHost(QHostAddress::LocalHost, reader->serverPort());
    QVERIFY(received.wait(10000));
    QTRY_COMPARE(sent.count(), 1);
    QVERIFY(QFile::exists(path("empty.dst")));
    QCOMPARE(QFileInfo(path("empty.dst")).size(), qint64(0));
    QTRY_VERIFY(!guard); // the sender cleans itself up
}

void TestFileTransfer::unreadableSourceEndsTheTransfer()
{
    auto *reader = new CTcpFileReader(5, path("gone.dst"), kLocal);
    QCOMPARE(reader->start(), QString());
    QSignalSpy reader_error(reader, &CTcpFileReader::sigError);
    auto *sender = new CTcpFileSender(path("does-not-exist"), kLocal);
    QSignalSpy sender_error(sender, &CTcpFileSender::sigError);
    QSignalSpy sent(sender, &CTcpFileSender::sigSent);
    sender->connectToHost(QHostAddress::LocalHost, reader->serverPort());
    // Well before the receiver's own time-out.
    QVERIFY(reader_error.wait(10000));
    QCOMPARE(sender_error.count(), 1);
    QCOMPARE(sent.count(), 0);
    QVERIFY(!QFile::exists(path("gone.dst")));
}

void TestFileTransfer::acceptsOneConnectionFromTheLinkedHost_data()
{
    QTest::addColumn<QString>("linked");
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("taken");
    QTest::newRow("the link's address") << kLocal << kLocal << true;
    // A host linked through one address of this machine sends from another.
    QTest::newRow("another address of the linked machine") << "127.0.0.2" << kLocal << true;
    // 192.0.2.7 is no address of this machine: nothing here may send in its place.
    QTest::newRow("a stranger") << "192.0.2.7"
                                << "127.0.0.2" << false;
}

void TestFileTransfer::acceptsOneConnectionFromTheLinkedHost()
{
    QFETCH(QString, linked);
    QFETCH(QString, from);
    QFETCH(bool, taken);
    const QString dest = path(QStringLiteral("one-%1.dst").arg(QTest::currentDataTag()));
    auto *reader = new CTcpFileReader(4, dest, linked);
    QCOMPARE(reader->start(), QString());
    QSignalSpy received(reader, &CTcpFileReader::sigReceived);
    const quint16 port = reader->serverPort();

    RawSender first;
    QVERIFY(first.open(port, QHostAddress(from)));
    if (!taken) {
        QTRY_COMPARE(first.socket.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(received.count(), 0);
        delete reader;
        return;
    }
    first.socket.write("ab");
    first.socket.flush();
    // The receiver stops listening once it has its sender.
    RawSender second;
    QTcpSocket &s2 = second.socket;
    s2.connectToHost(QHostAddress::LocalHost, port);
    QTRY_COMPARE(s2.state(), QAbstractSocket::UnconnectedState);
    first.sendAndClose("cd");
    QVERIFY(received.wait(10000));
    QCOMPARE(ReadFile(dest), QByteArray("abcd"));
}

// The sender of an announced file sends it as it was announced, even when it was replaced
// since (the history is replaced at every change).
void TestFileTransfer::snapshotIsSentAsAnnounced()
{
    QVERIFY(WriteFile(path("snap.src"), "first version"));
    auto snapshot = std::make_shared<QFile>(path("snap.src"));
    QVERIFY(snapshot->open(QIODevice::ReadOnly));
    const qint64 size = snapshot->size();
    QVERIFY(QFile::remove(path("snap.src")));
    QVERIFY(WriteFile(path("snap.src"), "second, longer version"));

    auto *reader = new CTcpFileReader(size, path("snap.dst"), kLocal);
    QCOMPARE(reader->start(), QString());
    QSignalSpy received(reader, &CTcpFileReader::sigReceived);
    auto *sender = new CTcpFileSender(snapshot, size, path("snap.src"), kLocal);
    sender->connectToHost(QHostAddress::LocalHost, reader->serverPort());
    QVERIFY(received.wait(10000));
    QCOMPARE(ReadFile(path("snap.dst")), QByteArray("first version"));
}

void TestFileTransfer::receiverGivesUpWithoutConnection()
{
    auto *reader = new CTcpFileReader(5, path("idle.dst"), kLocal);
    reader->setIdleTimeout(300);
    QCOMPARE(reader->start(), QString());
    const quint16 port = reader->serverPort();
    QPointer<CTcpFileReader> guard(reader);
    QSignalSpy error(reader, &CTcpFileReader::sigError);
    QVERIFY(error.wait(10000));
    QCOMPARE(error.at(0).at(2).toString(), QStringLiteral("The transfer timed out."));
    QTRY_VERIFY(!guard);
    QVERIFY(!QFile::exists(path("idle.dst")));
    QTcpSocket late;
    late.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(!late.waitForConnected(1000) || late.waitForDisconnected(1000));
}

void TestFileTransfer::receiverGivesUpOnAStalledSender()
{
    auto *reader = new CTcpFileReader(5, path("stall.dst"), kLocal);
    reader->setIdleTimeout(300);
    QCOMPARE(reader->start(), QString());
    QSignalSpy error(reader, &CTcpFileReader::sigError);
    RawSender raw;
    QVERIFY(raw.open(reader->serverPort()));
    raw.socket.write("x");
    QVERIFY(error.wait(10000));
    QTRY_COMPARE(raw.socket.state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!QFile::exists(path("stall.dst")));
}

void TestFileTransfer::receiverEndsWhenItsHostLeaves()
{
    auto *reader = new CTcpFileReader(5, path("left.dst"), kLocal);
    QCOMPARE(reader->start(), QString());
    QSignalSpy error(reader, &CTcpFileReader::sigError);
    reader->stopListening();
    QCOMPARE(error.count(), 1);
    QVERIFY(!reader->isListening());
}

void TestFileTransfer::senderGivesUpOnAStalledReceiver()
{
    QVERIFY(WriteFile(path("stall.src"), RandomBytes(25 * kMiB, 9)));
    // A listening socket that never accepts: the kernel completes the connection and then
    // holds only what fits its (small) receive buffer. A toolkit socket would read it all.
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const auto close_fd = qScopeGuard([fd] { ::close(fd); });
    const int small = 64 * 1024;
    QCOMPARE(setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small), 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    QCOMPARE(listen(fd, 4), 0);
    socklen_t len = sizeof addr;
    QCOMPARE(getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len), 0);
    auto *sender = new CTcpFileSender(path("stall.src"), kLocal);
    sender->setIdleTimeout(500);
    QPointer<CTcpFileSender> guard(sender);
    QSignalSpy error(sender, &CTcpFileSender::sigError);
    QSignalSpy sent(sender, &CTcpFileSender::sigSent);
    sender->connectToHost(QHostAddress::LocalHost, ntohs(addr.sin_port));
    QVERIFY(error.wait(30000));
    QCOMPARE(error.at(0).at(2).toString(), QStringLiteral("The transfer timed out."));
    QCOMPARE(sent.count(), 0);
    QTRY_VERIFY(!guard);
}

void TestFileTransfer::senderReportsARefusedConnection()
{
    QVERIFY(WriteFile(path("refused.src"), "abc"));
    quint16 closed_port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        closed_port = probe.serverPort();
    }
    auto *sender = new CTcpFileSender(path("refused.src"), kLocal);
    QPointer<CTcpFileSender> guard(sender);
    QSignalSpy error(sender, &CTcpFileSender::sigError);
    sender->connectToHost(QHostAddress::LocalHost, closed_port);
    QVERIFY(error.wait(10000));
    QVERIFY(!error.at(0).at(2).toString().isEmpty());
    QTRY_VERIFY(!guard);
}

TOLVANE_TEST_MAIN(TestFileTransfer)
#include "tst_file_transfer.moc"
