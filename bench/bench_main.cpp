// tolvane_bench: prints one table of timings. Runs inside a desktop session (it needs the
// X clipboard) with HOME and the XDG folders of its own, like the tests. Arguments name
// the groups to run (capture, image, imagestall, ownerstall, history, mainwindow,
// quickpaste, idle, linkmirror, linksetup, linktransfer); none runs all.
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

    // Groups by name; with none named, all of them run.
    const QList<QPair<QString, bool (*)(BenchTable &)>> groups = {
        {"capture", RunCaptureLatency},
        {"image", RunImageCapture},
        {"imagestall", RunImageCaptureStall},
        {"ownerstall", RunMisbehavingOwnerStall},
        {"history", RunHistoryAndFilter},
        {"mainwindow", RunMainWindow},
        {"quickpaste", RunQuickPaste},
        {"idle", RunIdleCost},
        {"linkmirror", RunLinkMirrorLatency},
        {"linksetup", RunLinkSetup},
        {"linktransfer", RunLinkTransfer}};
    const QStringList chosen = app.arguments().mid(1);
    BenchTable table;
    bool ok = true;
    for (const auto &group : groups) {
        if (chosen.isEmpty() || chosen.contains(group.first))
            ok = group.second(table) && ok;
    }
    table.print();
    return ok ? 0 : 1;
}
