// A copy on one host until it shows in the other's mirror list. Host A is the real clipboard
// manager of this process: another X client copies a text, A captures it and pushes its
// history; host B, linked on loopback, notes when the text became row 0 of its mirror of A.
#include "bench_table.h"
#include "benches.h"
#include "copy_timing.h"
#include "test_host.h"

#include <QtTest>

bool RunLinkMirrorLatency(BenchTable &table)
{
    const QString name = QStringLiteral("link: copy on A -> row 0 of B's mirror");
    CConnector a; // the process's own lists, settings and folders
    a.StartServer(0);
    TestHost b;
    b->connect2Server(QStringLiteral("127.0.0.1"), QString(), a.serverPort());
    if (!QTest::qWaitFor(
            [&] {
                return b->getHostsCount() == 1 && b->isInit(0) && a.getHostsCount() == 1 &&
                       a.isInit(0);
            },
            30000)) {
        table.addNote(name, QStringLiteral("FAILED: the hosts did not link"));
        return false;
    }
    CopyTiming spec;
    spec.name = name;
    spec.note = QStringLiteral("capture, push, TCP, reload");
    spec.warm_up = 3;
    spec.runs = 30;
    spec.step_timeout_ms = 10000;
    return TimeCopiesToTop(table, spec, b->getModel(0), [](int i) {
        return QStringLiteral("linked copy %1 of this run").arg(i);
    });
}
