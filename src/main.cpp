#include "app_entry.h"
#include "os/display_backend.h"

#include <QCoreApplication>
#include <QQuickStyle>
#include <QQuickWindow>

int main(int argc, char *argv[])
{
    DisplayBackend::ChooseBeforeStart(argc, argv);
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    // Frameless windows draw their own transparent shadow margin.
    QQuickWindow::setDefaultAlphaBuffer(true);
    QQuickStyle::setStyle(QStringLiteral("Material"));

    int exit_code = 0;
    if (Exec(argc, argv, exit_code))
        StartRestartHelper();
    return exit_code;
}
