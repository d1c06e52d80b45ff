// tolvane_bench: prints a table of timings (the window groups, when run with others, a
// table each). Runs inside a desktop session (it needs the X clipboard) with HOME and the
// XDG folders of its own, like the tests. Arguments name the groups to run (capture,
// image, imagestall, ownerstall, history, mainwindow, quickpaste, idle, linkmirror,
// linksetup, linktransfer); none runs all.
#include "bench_table.h"
#include "benches.h"
#include "isolated_env.h"

#include <QApplication>
#include <QProcess>

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
        {"capture", RunCaptureLatency},       {"image", RunImageCapture},
        {"imagestall", RunImageCaptureStall}, {"ownerstall", RunMisbehavingOwnerStall},
        {"history", RunHistoryAndFilter},     {"mainwindow", RunMainWindow},
        {"quickpaste", RunQuickPaste},        {"idle", RunIdleCost},
        {"linkmirror", RunLinkMirrorLatency}, {"linksetup", RunLinkSetup},
        {"linktransfer", RunLinkTransfer},
    };
    const QStringList chosen = app.arguments().mid(1);
    // The program has one controller in its life: a second one in the same process finds
    // the clipboard watcher of the first stopped. Groups that make one run in a process
    // of their own, each printing its own table, when more than one group runs.
    const QStringList own_process = {QStringLiteral("mainwindow"), QStringLiteral("quickpaste")};
    BenchTable table;
    bool ok = true;
    for (const auto &group : groups) {
        if (!chosen.isEmpty() && !chosen.contains(group.first))
            continue;
        if (chosen.size() != 1 && own_process.contains(group.first))
            ok = QProcess::execute(app.applicationFilePath(), {group.first}) == 0 && ok;
        else
            ok = group.second(table) && ok;
    }
    if (!table.isEmpty())
        table.print();
    return ok ? 0 : 1;
}
