// The set-up cost of a link between two hosts in this process on loopback: from the user's
// connect until the password result, over TLS (key exchange, both certificates, the password
// proof) and in clear text, and an encrypted client's detour to a host that speaks only clear
// text.
#include "bench_table.h"
#include "benches.h"
#include "test_host.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

namespace {
constexpr int kRuns = 15;
const QString kLocal = QStringLiteral("127.0.0.1");

// Links a to b kRuns times, dropping the link after each; the times until the result.
QVector<double> LinkTimes(TestHost &a, TestHost &b)
{
    QVector<double> out;
    for (int i = 0; i < kRuns; ++i) {
        QSignalSpy result(a.connector.get(), &CConnector::sigConnectResult);
        QElapsedTimer t;
        t.start();
        a->connect2Server(kLocal, b.pwd, b.port);
        if (!result.wait(20000) || !result.at(0).at(0).toBool())
            return {};
        out.append(double(t.nsecsElapsed()) / 1e6);
        emit a->sigCloseConnection(kLocal);
        if (!QTest::qWaitFor([&] { return a->getHostsCount() == 0 && b->getHostsCount() == 0; },
                             10000))
            return {};
    }
    return out;
}
} // namespace

bool RunLinkSetup(BenchTable &table)
{
    const struct
    {
        const char *name;
        bool client_tls;
        bool server_tls;
    } kinds[] = {
        {"link set-up, TLS (connect to password result), median of 15", true, true},
        {"link set-up, clear text, median of 15", false, false},
        {"link set-up, TLS client to a clear-text host (fallback), median of 15", true, false},
    };
    bool ok = true;
    for (const auto &k : kinds) {
        TestHost a(QString(), false, k.client_tls);
        TestHost b(QStringLiteral("bench pass"), false, k.server_tls);
        const QVector<double> ms = LinkTimes(a, b);
        if (ms.isEmpty()) {
            table.addNote(QString::fromLatin1(k.name), QStringLiteral("FAILED: no link"));
            ok = false;
            continue;
        }
        table.addSamples(QString::fromLatin1(k.name), ms,
                         QStringLiteral("%1 ms").arg(BenchTable::median(ms), 0, 'f', 1));
    }
    return ok;
}
