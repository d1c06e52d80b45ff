#include "os/linux/os_linux.h"
#include "os/linux/x11_active_window.h"

#include <QGuiApplication>
#include <QScreen>

QScreen *COSLinux::ForegroundScreen()
{
    QScreen *primary = QGuiApplication::primaryScreen();
    const QRect active = X11ActiveWindowGeometry();
    if (active.isEmpty())
        return primary;
    const QPoint centre = active.center();
    const auto screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        // Screens keep their device-pixel origin; only their size is scaled.
        const QRect g = screen->geometry();
        if (QRect(g.topLeft(), g.size() * screen->devicePixelRatio()).contains(centre))
            return screen;
    }
    return primary;
}
