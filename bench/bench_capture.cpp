// Capture latency across processes: clip_owner (another X client) puts a text on the
// clipboard and reports when its write returned; this process, running the real clipboard
// manager, notes when that text became row 0 of the Clipboard list. Both stamps are
// CLOCK_MONOTONIC, which is one clock for the whole machine.
#include "benches.h"
#include "clipboard/clipboard_manager.h"
#include "copy_timing.h"

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
} // namespace

bool RunCaptureLatency(BenchTable &table)
{
    CopyTiming spec;
    spec.name = QStringLiteral("capture latency, 200-char text");
    spec.note = QStringLiteral("set by another X client -> row 0");
    spec.warm_up = kWarmUp;
    spec.runs = kRuns;
    spec.step_timeout_ms = kStepTimeoutMs;
    return TimeCopiesToTop(table, spec, CClipboardManager::instance()->clipboardModel(),
                           SampleText);
}
