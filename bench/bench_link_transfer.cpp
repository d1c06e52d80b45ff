// Throughput of a file download between two linked hosts on loopback, next to nc piping the
// same file into a file over TCP in the same run. Both write to the same disk, so the ratio
// shows what the link's own work costs.
#include "bench_table.h"
#include "benches.h"
#include "test_host.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

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

double LinkOnce(TestHost &a, const QString &remote, const QString &save)
{
    QSignalSpy done(a.connector.get(), &CConnector::sigFileDownloaded);
    QSignalSpy failed(a.connector.get(), &CConnector::sigFileDownloadErr);
    QElapsedTimer t;
    t.start();
    a->downloadFile(kLocal, remote, save);
    if (!QTest::qWaitFor([&] { return done.count() > 0 || failed.count() > 0; }, 300000) ||
        done.isEmpty())
        return -1;
    return double(t.nsecsElapsed()) / 1e6;
}
} // namespace

bool RunLinkTransfer(BenchTable &table)
{
    const QString name = QStringLiteral("link: 512 MiB file download, loopback");
    TestHost a;
    TestHost b;
    const QString src = b.dir.path() + "/big.bin";
    if (!MakeFile(src)) {
        table.addNote(name, QStringLiteral("FAILED: cannot write the 512 MiB file"));
        return false;
    }
    b.clip.prependItem([&] {
        CBData item;
        item.type = CQmlTypes::Urls;
        item.val = QVariant::fromValue(QList<QUrl>{QUrl::fromLocalFile(src)});
        item.plain = src;
        item.md5 = QStringLiteral("00000000000000000000000000000512");
        return item;
    }());
    if (!LinkHosts(a, b)) {
        table.addNote(name, QStringLiteral("FAILED: the hosts did not link"));
        return false;
    }
    QVector<double> link_ms, nc_ms;
    const QString dst = a.dir.path() + "/copy.bin";
    for (int i = 0; i < kRuns; ++i) {
        const double ms = LinkOnce(a, src, dst);
        QFile::remove(dst);
        const double nc = NcOnce(src, dst);
        QFile::remove(dst);
        if (ms < 0 || nc < 0) {
            table.addNote(name, QStringLiteral("FAILED: a transfer did not finish (nc %1)")
                                    .arg(nc < 0 ? QStringLiteral("failed") : QStringLiteral("ok")));
            return false;
        }
        link_ms.append(ms);
        nc_ms.append(nc);
    }
    const double link = BenchTable::median(link_ms);
    const double nc = BenchTable::median(nc_ms);
    const auto rate = [](double ms) {
        return double(kSize) / kMiB / (ms / 1000.0);
    };
    table.addSamples(name, link_ms, QStringLiteral("%1 MiB/s").arg(rate(link), 0, 'f', 0));
    table.addSamples(QStringLiteral("nc: the same file into a file, loopback"), nc_ms,
                     QStringLiteral("%1 MiB/s").arg(rate(nc), 0, 'f', 0));
    table.addNote(QStringLiteral("link / nc time (median)"),
                  QStringLiteral("%1x").arg(link / nc, 0, 'f', 2));
    return true;
}
