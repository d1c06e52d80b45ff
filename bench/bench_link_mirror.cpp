// A copy on one host until it shows in the other's mirror list. Host A is the real clipboard
// manager of this process: another X client copies a text, A captures it and pushes its
// history; host B, linked on loopback, notes when the text became row 0 of its mirror of A,
// and host C does the same through a relay that delays every byte by 300 ms each way. Last,
// a burst: two hosts linked through that relay change their lists 10 times, 100 ms apart,
// and the time from the last change until both mirror lists show the newest is taken.
#include "bench_table.h"
#include "benches.h"
#include "copy_timing.h"
#include "test_host.h"
#include "test_items.h"
#include "tls_relays.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {
constexpr int kRelayDelayMs = 300;

bool Linked(const CConnector &a, int a_hosts, CConnector &b)
{
    return QTest::qWaitFor(
        [&] {
            return b.getHostsCount() == 1 && b.isInit(0) && a.getHostsCount() == a_hosts &&
                   a.isInit(a_hosts - 1);
        },
        30000);
}

void RunBurst(BenchTable &table)
{
    const QString name = QStringLiteral("link burst over a 300 ms relay: last of 10 changes -> "
                                        "newest in both mirrors");
    QVector<double> samples;
    for (int run = 0; run < 5; ++run) {
        TestHost a, b;
        DelayRelay relay;
        if (!relay.listen(b.port, kRelayDelayMs) || !LinkHosts(a, b, 30000, relay.port())) {
            table.addNote(name, QStringLiteral("FAILED: the hosts did not link"));
            return;
        }
        const QString last = QStringLiteral("burst %1 change 9").arg(run);
        for (int i = 0; i < 10; ++i) {
            a.clip.prependItem(TextItem(QStringLiteral("burst %1 change %2").arg(run).arg(i)));
            b.clip.prependItem(TextItem(QStringLiteral("burst %1 change %2").arg(run).arg(i)));
            if (i < 9)
                QTest::qWait(100);
        }
        QElapsedTimer t;
        t.start();
        if (!QTest::qWaitFor(
                [&] {
                    return Plains(a->getModel(0)).value(0) == last &&
                           Plains(b->getModel(0)).value(0) == last;
                },
                30000)) {
            table.addNote(name, QStringLiteral("FAILED: the newest did not arrive in 30 s"));
            return;
        }
        samples << double(t.nsecsElapsed()) / 1e6;
    }
    table.addSamples(name, samples, QStringLiteral("5 runs, both directions at once"));
}
} // namespace

bool RunLinkMirrorLatency(BenchTable &table)
{
    const QString name = QStringLiteral("link: copy on A -> row 0 of B's mirror");
    const QString relayed = QStringLiteral("link: copy on A -> row 0 of C's mirror, 300 ms relay");
    CConnector a; // the process's own lists, settings and folders
    a.StartServer(0);
    TestHost b;
    b->connect2Server(QStringLiteral("127.0.0.1"), QString(), a.serverPort());
    if (!Linked(a, 1, *b.connector)) {
        table.addNote(name, QStringLiteral("FAILED: the hosts did not link"));
        return false;
    }
    CopyTiming spec;
    spec.name = name;
    spec.note = QStringLiteral("capture, push, TCP, reload");
    spec.warm_up = 3;
    spec.runs = 30;
    spec.step_timeout_ms = 10000;
    bool ok = TimeCopiesToTop(table, spec, b->getModel(0), [](int i) {
        return QStringLiteral("linked copy %1 of this run").arg(i);
    });

    TestHost c;
    DelayRelay relay;
    // From another address: A already has a host at 127.0.0.1 (B), and takes one link per address.
    relay.listen(a.serverPort(), kRelayDelayMs, QHostAddress(QStringLiteral("127.0.0.2")));
    c->connect2Server(QStringLiteral("127.0.0.1"), QString(), relay.port());
    if (!Linked(a, 2, *c.connector)) {
        table.addNote(relayed, QStringLiteral("FAILED: the hosts did not link"));
        return false;
    }
    spec.name = relayed;
    spec.note = QStringLiteral("announcement and acceptance cross the relay: 600 ms");
    spec.warm_up = 1;
    spec.runs = 10;
    spec.step_timeout_ms = 20000;
    ok = TimeCopiesToTop(
             table, spec, c->getModel(0),
             [](int i) { return QStringLiteral("relayed copy %1 of this run").arg(i); }) &&
         ok;
    RunBurst(table);
    return ok;
}
