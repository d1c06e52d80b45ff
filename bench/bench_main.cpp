// tolvane_bench: prints one table of timings. Runs inside a desktop session (it needs the
// X clipboard) with HOME and the XDG folders of its own, like the tests.
//   tolvane_bench [capture|image|history|window|idle ...]   only the groups named; all
//   when none is named.
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

    const struct
    {
        const char *name;
        bool (*run)(BenchTable &);
    } groups[] = {{"capture", RunCaptureLatency},
                  {"image", RunImageCapture},
                  {"history", RunHistoryAndFilter},
                  {"window", RunMainWindow},
                  {"idle", RunIdleCost}};
    const QStringList chosen = app.arguments().mid(1);
    BenchTable table;
    bool ok = true;
    for (const auto &group : groups) {
        if (chosen.isEmpty() || chosen.contains(QLatin1String(group.name)))
            ok = group.run(table) && ok;
    }
    table.print();
    return ok ? 0 : 1;
}
