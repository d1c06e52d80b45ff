#include "copy_timing.h"

#include "bench_table.h"
#include "clipboard/clipboard_list_model.h"
#include "monotonic_clock.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

namespace {
// One copy: the time in ms, or a negative value when it did not arrive in time.
double MeasureOne(QProcess &owner, CCilpboardListModel *model, const QString &text, int timeout_ms)
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
    QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
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

bool TimeCopiesToTop(BenchTable &table, const CopyTiming &spec, CCilpboardListModel *model,
                     const std::function<QString(int)> &text_of_run)
{
    QProcess owner;
    owner.start(QStringLiteral(TOLVANE_CLIP_OWNER), {QStringLiteral("--serve")});
    if (!owner.waitForStarted(5000)) {
        table.addNote(spec.name, QStringLiteral("FAILED: clip_owner did not start"));
        return false;
    }
    QVector<double> samples;
    bool ok = true;
    for (int i = 0; i < spec.warm_up + spec.runs && ok; ++i) {
        const double ms = MeasureOne(owner, model, text_of_run(i), spec.step_timeout_ms);
        ok = ms >= 0;
        if (ok && i >= spec.warm_up)
            samples.append(ms);
    }
    owner.write("quit\n");
    if (!owner.waitForFinished(5000))
        owner.kill();
    if (!ok) {
        table.addNote(spec.name, QStringLiteral("FAILED: a copy did not reach row 0 within %1 s")
                                     .arg(spec.step_timeout_ms / 1000));
        return false;
    }
    table.addSamples(spec.name, samples, spec.note);
    return true;
}
