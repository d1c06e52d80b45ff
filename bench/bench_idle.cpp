// What the real program costs while nobody uses it: tolvane with a 300-item history and
// its window hidden, watched from outside for a minute. Wake-ups are the context switches
// of all its threads, CPU is user plus system time, both read from /proc. Once on the
// session's X server (XFixes reports clipboard changes) and once on a server of its own
// without XFIXES, where the program falls back to polling the clipboard's owner.
#include "bench_table.h"
#include "benches.h"
#include "clipboard/clipboard_list_model.h"
#include "tolvane_process.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSettings>
#include <QTest>

#include <unistd.h>

namespace {
constexpr int kItems = 300;
constexpr int kDefaultSeconds = 60;
constexpr int kSettleMs = 4000;
const QString kCaptured = QStringLiteral("captured");

struct Usage
{
    QMap<QString, qint64> switches; // per thread id
    qint64 cpu_ticks = -1;
};

// Switches between two readings, thread by thread: a thread that ended meanwhile took its
// count along, one that started brought all of its own.
qint64 SwitchesBetween(const Usage &before, const Usage &after)
{
    qint64 total = 0;
    for (auto it = after.switches.cbegin(); it != after.switches.cend(); ++it)
        total += it.value() - before.switches.value(it.key(), 0);
    return total;
}

// Voluntary and involuntary context switches of every thread, and user + system time.
Usage ReadUsage(qint64 pid)
{
    Usage u;
    const QString proc = QStringLiteral("/proc/%1").arg(pid);
    QFile stat(proc + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return u;
    // The command name may hold blanks; the fields after its closing parenthesis do not.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() > 12)
        u.cpu_ticks = fields.at(11).toLongLong() + fields.at(12).toLongLong(); // utime, stime
    const QStringList tasks =
        QDir(proc + QStringLiteral("/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &task : tasks) {
        QFile status(proc + QStringLiteral("/task/") + task + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        qint64 &switches = u.switches[task];
        for (const QByteArray &l : status.readAll().split('\n')) {
            if (l.startsWith("voluntary_ctxt_switches:") ||
                l.startsWith("nonvoluntary_ctxt_switches:"))
                switches += l.mid(l.indexOf(':') + 1).trimmed().toLongLong();
        }
    }
    return u;
}

void PrepareHistory(const TolvaneEnvironment &env)
{
    QDir().mkpath(env.cacheDir() + QStringLiteral("/clipboard"));
    CCilpboardListModel list;
    for (int i = 0; i < kItems; ++i)
        list.prependItem(MakeBenchItem(i));
    list.Save2FileHelper(env.cacheDir() + QStringLiteral("/clipboard/history"));
    QSettings ini(env.settingsFile(), QSettings::IniFormat);
    ini.setValue(QStringLiteral("stack/stack_max_item_count"), kItems + 10);
    ini.setValue(QStringLiteral("app_autoupdate"), false);
}

// One minute (or TOLVANE_BENCH_IDLE_SECONDS) of the program idling on `display`.
bool MeasureIdle(BenchTable &table, const QString &name, const QString &display)
{
    TolvaneEnvironment env;
    PrepareHistory(env);
    TolvaneProcess app(env, display);
    // The first run puts the usage text on the clipboard and captures it: start-up is over.
    if (!app.start() || !app.waitForCount(kCaptured, 1, 30000)) {
        table.addNote(name, QStringLiteral("FAILED: no start-up capture"));
        return false;
    }
    QTest::qWait(kSettleMs);
    bool ok = false;
    int seconds = qEnvironmentVariableIntValue("TOLVANE_BENCH_IDLE_SECONDS", &ok);
    if (!ok || seconds <= 0)
        seconds = kDefaultSeconds;
    const qint64 pid = app.process().processId();
    const Usage before = ReadUsage(pid);
    QTest::qWait(seconds * 1000);
    const Usage after = ReadUsage(pid);
    if (before.cpu_ticks < 0 || after.cpu_ticks < 0 || app.process().state() != QProcess::Running) {
        table.addNote(name, QStringLiteral("FAILED: program gone"));
        return false;
    }
    const double wakeups = double(SwitchesBetween(before, after)) / seconds;
    const double cpu_percent =
        100.0 * double(after.cpu_ticks - before.cpu_ticks) / sysconf(_SC_CLK_TCK) / seconds;
    table.addNote(name, QStringLiteral("%1 wake-ups/s (context switches), %2 % of a core, %3 s")
                            .arg(wakeups, 0, 'f', 2)
                            .arg(cpu_percent, 0, 'f', 3)
                            .arg(seconds));
    return true;
}
} // namespace

bool RunIdleCost(BenchTable &table)
{
    bool ok = MeasureIdle(table, QStringLiteral("idle, 300 items, window hidden (XFixes)"),
                          qEnvironmentVariable("DISPLAY"));

    QProcess server;
    server.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp"), QStringLiteral("-extension"), QStringLiteral("XFIXES")});
    const QString name = QStringLiteral("idle, 300 items, window hidden (no XFixes)");
    if (!QTest::qWaitFor([&server] { return server.canReadLine(); }, 10000)) {
        table.addNote(name, QStringLiteral("FAILED: no X server without XFixes"));
        return false;
    }
    const QString display = QLatin1Char(':') + QString::fromLatin1(server.readLine().trimmed());
    ok = MeasureIdle(table, name, display) && ok;
    server.kill();
    server.waitForFinished(5000);
    return ok;
}
