// Capture latency across processes: clip_owner (another X client) puts a text on the
// clipboard and reports when its write returned; this process, running the real clipboard
// manager, notes when that text became row 0 of the Clipboard list. Both stamps are
// CLOCK_MONOTONIC, which is one clock for the whole machine.
#include "bench_table.h"
#include "benches.h"
#include "clipboard/clipboard_manager.h"
#include "monotonic_clock.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

namespace {
constexpr int kWarmUp = 5;
constexpr int kRuns = 60;
constexpr int kTextLength = 200;
constexpr int kStepTimeoutMs = 5000;

QString SampleText(int i)
{
    QString t = QStringLiteral("latency sample %1: ").arg(i);
    while (t.size() < kTextLength)
        t += QStringLiteral("the quick brown fox %1 ").arg(i);
    return t.left(kTextLength);
}

// One copy: returns the latency in ms, or a negative value on timeout.
double MeasureOne(QProcess &owner, CCilpboardListModel *model, const QString &text)
{
    qint64 set_ns = 0;
    qint64 seen_ns = 0;
    QEventLoop loop;
    auto check_top = [&] {
        if (seen_ns == 0 && model->rowCount() > 0 && model->getPlain(0) == text) {
            seen_ns = MonotonicNs();
            if (set_ns != 0)
                loop.quit();
        }
    };
    const auto c1 = QObject::connect(model, &QAbstractItemModel::rowsInserted, check_top);
    const auto c2 = QObject::connect(model, &QAbstractItemModel::rowsMoved, check_top);
    const auto c3 = QObject::connect(&owner, &QProcess::readyReadStandardOutput, [&] {
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
    QObject::disconnect(c3);
    if (set_ns == 0 || seen_ns == 0)
        return -1;
    return double(seen_ns - set_ns) / 1e6;
}
} // namespace

bool RunCaptureLatency(BenchTable &table)
{
    const QString name = QStringLiteral("capture latency, 200-char text");
    CCilpboardListModel *model = CClipboardManager::instance()->clipboardModel();
    QProcess owner;
    owner.start(QStringLiteral(TOLVANE_CLIP_OWNER), {QStringLiteral("--serve")});
    if (!owner.waitForStarted(5000)) {
        table.addNote(name, QStringLiteral("FAILED: clip_owner did not start"));
        return false;
    }
    QVector<double> samples;
    bool ok = true;
    for (int i = 0; i < kWarmUp + kRuns; ++i) {
        const double ms = MeasureOne(owner, model, SampleText(i));
        if (ms < 0) {
            ok = false;
            break;
        }
        if (i >= kWarmUp)
            samples.append(ms);
    }
    owner.write("quit\n");
    if (!owner.waitForFinished(5000))
        owner.kill();
    if (!ok) {
        table.addNote(name, QStringLiteral("FAILED: a copy was not captured within 5 s"));
        return false;
    }
    table.addSamples(name, samples, QStringLiteral("set by another X client -> row 0"));
    return true;
}
