// Throughput of a file download between two linked hosts on loopback, next to nc piping the
// same file into a file over TCP in the same run. The owner is the real program in a process
// of its own, as nc's two ends are; both write to the same disk, so the ratio shows what the
// link's own work costs.
#include "bench_table.h"
#include "benches.h"
#include "test_host.h"
#include "test_items.h"
#include "tolvane_process.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {
constexpr qint64 kMiB = 1024 * 1024;
constexpr qint64 kSize = 512 * kMiB;
constexpr int kRuns = 3;
const QString kLocal = QStringLiteral("127.0.0.1");

bool MakeFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(int(kMiB), Qt::Uninitialized);
    QRandomGenerator rng(512);
    for (qint64 done = 0; done < kSize; done += kMiB) {
        rng.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
        if (f.write(block) != block.size())
            return false;
    }
    return true;
}

quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// One nc transfer: a listener writing into a file, a client sending the file and closing.
double NcOnce(const QString &src, const QString &dst)
{
    const QString port = QString::number(FreePort());
    QProcess listener;
    listener.setStandardOutputFile(dst);
    listener.start(QStringLiteral("nc"), {QStringLiteral("-l"), kLocal, port});
    if (!listener.waitForStarted(5000))
        return -1;
    // The listener is up when a client gets through; a refused client ends at once.
    for (int attempt = 0; attempt < 100; ++attempt) {
        QProcess client;
        client.setStandardInputFile(src);
        QElapsedTimer t;
        t.start();
        client.start(QStringLiteral("nc"), {QStringLiteral("-N"), kLocal, port});
        if (!client.waitForFinished(120000))
            return -1;
        if (client.exitCode() == 0) {
            if (!listener.waitForFinished(120000))
                return -1;
            return double(t.nsecsElapsed()) / 1e6;
        }
        QTest::qWait(50);
    }
    return -1;
}

// Waits in a real event loop: a polling wait would sleep between passes and starve the
// receiving socket.
double LinkOnce(TestHost &a, const QString &remote, const QString &save)
{
    QEventLoop loop;
    bool ok = false;
    const auto c1 = QObject::connect(a.connector.get(), &CConnector::sigFileDownloaded, [&] {
        ok = true;
        loop.quit();
    });
    const auto c2 =
        QObject::connect(a.connector.get(), &CConnector::sigFileDownloadErr, [&] { loop.quit(); });
    QTimer::singleShot(300000, &loop, &QEventLoop::quit);
    QElapsedTimer t;
    t.start();
    a->downloadFile(kLocal, remote, save);
    loop.exec();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    return ok ? ms : -1;
}

// The real program, in its own process, offering the file: it is put on the clipboard as
// a file list, which the program captures. Returns nullptr (with a note) when it fails.
std::unique_ptr<TolvaneProcess> StartOwner(const TolvaneEnvironment &env, const QString &file,
                                           QString &why)
{
    // Not a first run: the usage text would take the clipboard while the file is put there.
    if (!env.writeSettings("[General]\napp_version=1.5.0\n")) {
        why = QStringLiteral("cannot write the program's settings");
        return nullptr;
    }
    auto owner = std::make_unique<TolvaneProcess>(env);
    const QString captured = QStringLiteral("captured");
    if (!owner->start() ||
        !owner->waitForCount(QStringLiteral("server listening on port"), 1, 60000)) {
        why = QStringLiteral("the program did not start");
        return nullptr;
    }
    const int before = owner->count(captured);
    auto *mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(file)});
    QGuiApplication::clipboard()->setMimeData(mime);
    if (!owner->waitForCount(captured, before + 1, 30000)) {
        why = QStringLiteral("the program did not capture the file");
        return nullptr;
    }
    return owner;
}

QVector<double> Downloads(TestHost &a, const QString &remote, const QString &dst,
                          QVector<double> *nc_ms = nullptr)
{
    QVector<double> out;
    for (int i = 0; i < kRuns; ++i) {
        const double ms = LinkOnce(a, remote, dst);
        QFile::remove(dst);
        if (ms < 0)
            return {};
        out.append(ms);
        if (nc_ms) {
            const double nc = NcOnce(remote, dst);
            QFile::remove(dst);
            if (nc < 0)
                return {};
            nc_ms->append(nc);
        }
    }
    return out;
}
} // namespace

bool RunLinkTransfer(BenchTable &table)
{
    const QString name = QStringLiteral("link: 512 MiB download, owner in another process");
    TolvaneEnvironment env;
    const QString src = env.root() + "/home/big.bin";
    if (!MakeFile(src)) {
        table.addNote(name, QStringLiteral("FAILED: cannot write the 512 MiB file"));
        return false;
    }
    QString why;
    const std::unique_ptr<TolvaneProcess> owner = StartOwner(env, src, why);
    TestHost a;
    QSignalSpy result(a.connector.get(), &CConnector::sigConnectResult);
    if (owner)
        a->connect2Server(kLocal, QString(), env.linkPort());
    if (!owner ||
        !QTest::qWaitFor([&] { return a->getHostsCount() == 1 && a->isInit(0); }, 30000)) {
        table.addNote(name, QStringLiteral("FAILED: ") +
                                (why.isEmpty() ? QStringLiteral("no link") : why));
        return false;
    }
    const QString dst = a.dir.path() + "/copy.bin";
    QVector<double> nc_ms;
    const QVector<double> link_ms = Downloads(a, src, dst, &nc_ms);

    // The same owner, linked encrypted: file bodies go through TLS. The owner takes one
    // link per address, so the clear-text one goes first.
    emit a->sigCloseConnection(kLocal);
    QVector<double> tls_ms;
    if (QTest::qWaitFor([&] { return a->getHostsCount() == 0; }, 10000)) {
        TestHost e(QString(), false, true);
        e->connect2Server(kLocal, QString(), env.linkPort());
        if (QTest::qWaitFor([&] { return e->getHostsCount() == 1 && e->isInit(0); }, 30000) &&
            e->isEncrypted(0))
            tls_ms = Downloads(e, src, e.dir.path() + "/copy.bin");
        emit e->sigCloseConnection(kLocal);
        if (!QTest::qWaitFor([&] { return e->getHostsCount() == 0; }, 10000))
            tls_ms.clear();
    }

    // Both ends in this process, on one thread: what the link costs without a second core.
    TestHost b;
    b.clip.prependItem(FileListItem({QUrl::fromLocalFile(src)}));
    const bool linked = LinkHosts(a, b);
    const QVector<double> one_ms = linked ? Downloads(a, src, dst) : QVector<double>();
    if (link_ms.isEmpty() || one_ms.isEmpty() || tls_ms.isEmpty()) {
        table.addNote(name, QStringLiteral("FAILED: a transfer did not finish"));
        return false;
    }
    const double link = BenchTable::median(link_ms);
    const double nc = BenchTable::median(nc_ms);
    const auto rate = [](double ms) {
        return QStringLiteral("%1 MiB/s").arg(double(kSize) / kMiB / (ms / 1000.0), 0, 'f', 0);
    };
    table.addSamples(name, link_ms, rate(link));
    table.addSamples(QStringLiteral("nc: the same file into a file, loopback"), nc_ms, rate(nc));
    table.addNote(QStringLiteral("link / nc time (median)"),
                  QStringLiteral("%1x").arg(link / nc, 0, 'f', 2));
    table.addSamples(QStringLiteral("link: the same, both ends in one process"), one_ms,
                     rate(BenchTable::median(one_ms)));
    const double tls = BenchTable::median(tls_ms);
    table.addSamples(QStringLiteral("link over TLS: 512 MiB download, owner in another process"),
                     tls_ms, rate(tls));
    table.addNote(QStringLiteral("link TLS / clear text time (median)"),
                  QStringLiteral("%1x").arg(tls / link, 0, 'f', 2));
    return true;
}
