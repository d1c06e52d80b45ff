#include "app_entry.h"
#include "command_line.h"
#include "os/display_backend.h"
#include "os/freed_memory.h"

#include <QCoreApplication>
#include <QQuickStyle>
#include <QQuickWindow>

int main(int argc, char *argv[])
{
    // Commands for the running program need no display and open no window.
    if (IsCommandLine(argc, argv))
        return RunCommandLine(argc, argv);
    FreedMemory::KeepLargeBlocksApart();
    DisplayBackend::ChooseBeforeStart(argc, argv);
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    // Frameless windows draw their own transparent shadow margin.
    QQuickWindow::setDefaultAlphaBuffer(true);
    QQuickStyle::setStyle(QStringLiteral("Material"));
    // Our QML is compiled into the program. The QML engine would still keep compiled copies
    // of the Qt modules' QML in the user's cache and map them at the next start unchecked:
    // one cut short (a full disk) crashed every later start. They are compiled anew instead.
    qputenv("QML_DISABLE_DISK_CACHE", "1");

    int exit_code = 0;
    if (Exec(argc, argv, exit_code))
        StartRestartHelper();
    return exit_code;
}
