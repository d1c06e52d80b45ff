// A copy on one host until it shows in the other's mirror list. Host A is the real clipboard
// manager of this process: clip_owner (another X client) puts a text on the clipboard and
// reports when its write returned; A captures it and pushes its history; host B, linked on
// loopback, notes when the text became row 0 of its mirror of A. Both stamps are
// CLOCK_MONOTONIC.
#include "bench_table.h"
#include "benches.h"
#include "monotonic_clock.h"
#include "test_host.h"

#include <QEventLoop>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {
constexpr int kWarmUp = 3;
constexpr int kRuns = 30;
constexpr int kStepTimeoutMs = 10000;

double MeasureOne(QProcess &owner, CCilpboardListModel *mirror, const QString &text)
{
    qint64 set_ns = 0;
    qint64 seen_ns = 0;
    QEventLoop loop;
    auto check_top = [&] {
        if (seen_ns == 0 && mirror->rowCount() > 0 && mirror->getPlain(0) == text) {
            seen_ns = MonotonicNs();
            if (set_ns != 0)
                loop.quit();
        }
    };
    const auto c1 = QObject::connect(mirror, &QAbstractItemModel::rowsInserted, check_top);
    const auto c2 = QObject::connect(&owner, &QProcess::readyReadStandardOutput, [&] {
        while (owner.canReadLine()) {
            set_ns = owner.readLine().trimmed().toLongLong();
            if (seen_ns != 0)
                loop.quit();
        }
    });
    QTimer::singleShot(kStepTimeoutMs, &loop, &QEventLoop::quit);
    owner.write("text " + text.toUtf8() + "\n");
    loop.exec();
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    if (set_ns == 0 || seen_ns == 0)
        return -1;
    return double(seen_ns - set_ns) / 1e6;
}
} // namespace

bool RunLinkMirrorLatency(BenchTable &table)
{
    const QString name = QStringLiteral("link: copy on A -> row 0 of B's mirror");
    CConnector a; // the process's own lists, settings and folders
    a.StartServer(0);
    TestHost b;
    QSignalSpy result(b.connector.get(), &CConnector::sigConnectResult);
    b->connect2Server(QStringLiteral("127.0.0.1"), QString(), a.serverPort());
    if (!QTest::qWaitFor([&] { return b->getHostsCount() == 1 && b->isInit(0) &&
                                      a.getHostsCount() == 1 && a.isInit(0); },
                         30000)) {
        table.addNote(name, QStringLiteral("FAILED: the hosts did not link"));
        return false;
    }
    CCilpboardListModel *mirror = b->getModel(0);
    QProcess owner;
    owner.start(QStringLiteral(TOLVANE_CLIP_OWNER), {QStringLiteral("--serve")});
    if (!owner.waitForStarted(5000)) {
        table.addNote(name, QStringLiteral("FAILED: clip_owner did not start"));
        return false;
    }
    QVector<double> samples;
    bool ok = true;
    for (int i = 0; i < kWarmUp + kRuns && ok; ++i) {
        const double ms =
            MeasureOne(owner, mirror, QStringLiteral("linked copy %1 of this run").arg(i));
        ok = ms >= 0;
        if (ok && i >= kWarmUp)
            samples.append(ms);
    }
    owner.write("quit\n");
    if (!owner.waitForFinished(5000))
        owner.kill();
    if (!ok) {
        table.addNote(name, QStringLiteral("FAILED: a copy did not arrive within 10 s"));
        return false;
    }
    table.addSamples(name, samples, QStringLiteral("capture, push, TCP, reload"));
    return true;
}
