// tolvane_bench: prints one table of timings. Runs inside a desktop session (it needs the
// X clipboard) with HOME and the XDG folders of its own, like the tests.
#include "bench_table.h"
#include "benches.h"
#include "isolated_env.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    IsolatedEnvironment env;
    qputenv("QT_QPA_PLATFORM", "xcb");
    // Capture logs every item at debug level, which would bury the table.
    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "tolvane.*.debug=false");
    QApplication app(argc, argv);
    SetTestApplicationIdentity();

    BenchTable table;
    bool ok = RunCaptureLatency(table);
    ok = RunImageCapture(table) && ok;
    ok = RunHistoryAndFilter(table) && ok;
    ok = RunMainWindow(table) && ok;
    ok = RunLinkMirrorLatency(table) && ok;
    ok = RunLinkTransfer(table) && ok;
    table.print();
    return ok ? 0 : 1;
}
