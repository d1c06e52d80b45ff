// Owners that misbehave: one that never answers, one that sends the header of a transfer in
// parts and then nothing, one that stops in the middle of it, and one that takes the
// clipboard again every second without answering. While each holds the clipboard, a 1 ms
// timer on the interface thread measures its longest gap; then another owner copies a text,
// and the time until it is row 0 of the Clipboard list is taken.
#include "bench_table.h"
#include "benches.h"
#include "clipboard/clipboard_manager.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {
constexpr int kRuns = 3;
// Longer than the toolkit's own clipboard time-out (5 s), which a blocking read would wait.
constexpr int kHoldMs = 6000;
constexpr int kCaptureTimeoutMs = 30000;

struct Variant
{
    QString name;
    QStringList args;
    int owners; // started one a second
};

std::unique_ptr<QProcess> StartOwner(const QStringList &args)
{
    auto owner = std::make_unique<QProcess>();
    owner->start(QStringLiteral(TOLVANE_X11_OWNER), args + QStringList{"--timeout", "60000"});
    if (!owner->waitForStarted(5000) || !owner->waitForReadyRead(5000))
        return nullptr;
    return owner;
}

// Runs the event loop for ms and returns the longest gap between two turns of a 1 ms timer.
double LongestGap(int ms, const std::function<void(int)> &at_second)
{
    QEventLoop loop;
    QElapsedTimer since_tick, since_start;
    double longest = 0;
    int seconds = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = qMax(longest, since_tick.nsecsElapsed() / 1e6);
        since_tick.start();
        if (since_start.elapsed() >= (seconds + 1) * 1000)
            at_second(++seconds);
        if (since_start.elapsed() >= ms)
            loop.quit();
    });
    since_start.start();
    since_tick.start();
    tick.start();
    loop.exec();
    return qMax(longest, since_tick.nsecsElapsed() / 1e6);
}
} // namespace

bool RunMisbehavingOwnerStall(BenchTable &table)
{
    const QString long_text = QString("sent in parts. ").repeated(2000);
    const QVector<Variant> variants = {
        // The same measurement with an owner that answers at once: what the machine itself
        // costs (scheduling, the capture's own work).
        {"none: an owner that answers at once", {"--offer", "UTF8_STRING", "answered"}, 1},
        {"never answers", {"--never-answer"}, 1},
        {"INCR header, then nothing",
         {"--incr", "4096", "--stall-after", "0", "--offer", "UTF8_STRING", long_text},
         1},
        {"stops in the middle of INCR",
         {"--incr", "4096", "--stall-after", "2", "--offer", "UTF8_STRING", long_text},
         1},
        {"takes the clipboard every second, never answers", {"--never-answer"}, 5},
    };
    CCilpboardListModel *model = CClipboardManager::instance()->clipboardModel();
    bool ok = true;
    QVector<double> all_stalls, comparison_stalls;
    int copy_number = 0;
    for (const Variant &v : variants) {
        QVector<double> stall_ms, next_ms;
        for (int run = 0; run < kRuns; ++run) {
            std::vector<std::unique_ptr<QProcess>> owners;
            owners.push_back(StartOwner(v.args));
            const double longest = LongestGap(kHoldMs, [&](int second) {
                if (second < v.owners)
                    owners.push_back(StartOwner(v.args));
            });
            stall_ms.append(longest);
            (v.name == variants.first().name ? comparison_stalls : all_stalls).append(longest);

            const QString text = QStringLiteral("next copy %1").arg(++copy_number);
            QEventLoop loop;
            const auto arrived = QObject::connect(model, &QAbstractItemModel::rowsInserted, [&] {
                if (model->getPlain(0) == text)
                    loop.quit();
            });
            QElapsedTimer since_copy;
            since_copy.start();
            owners.push_back(StartOwner({"--offer", "UTF8_STRING", text}));
            QTimer::singleShot(kCaptureTimeoutMs, &loop, &QEventLoop::quit);
            if (model->rowCount() == 0 || model->getPlain(0) != text)
                loop.exec();
            QObject::disconnect(arrived);
            const bool captured = model->rowCount() > 0 && model->getPlain(0) == text;
            next_ms.append(since_copy.nsecsElapsed() / 1e6);
            for (auto &owner : owners) {
                if (owner) {
                    owner->kill();
                    owner->waitForFinished(5000);
                }
            }
            if (!captured) {
                table.addNote("misbehaving owner (" + v.name + "), next copy",
                              QStringLiteral("FAILED: the next copy was not captured"));
                ok = false;
            }
        }
        table.addSamples("misbehaving owner (" + v.name + "), longest UI stall", stall_ms,
                         QStringLiteral("held %1 s, 1 ms timer").arg(kHoldMs / 1000));
        table.addSamples("misbehaving owner (" + v.name + "), next copy to row 0", next_ms,
                         QStringLiteral("includes starting the owner"));
    }
    const auto worst = [](const QVector<double> &v) {
        return QString::number(*std::max_element(v.cbegin(), v.cend()), 'f', 1);
    };
    table.addNote(QStringLiteral("owner that answers at once, longest UI stall of its runs (ms)"),
                  worst(comparison_stalls));
    table.addNote(QStringLiteral("misbehaving owners, longest UI stall of all their runs (ms)"),
                  worst(all_stalls));
    return ok;
}
