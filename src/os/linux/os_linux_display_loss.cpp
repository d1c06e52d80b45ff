// Saving when the X server goes away. The toolkit's X11 plugin then calls exit(1) from its
// event handling; nothing in the toolkit runs first, but exit() runs the handlers registered
// with atexit(), before the destructors of objects built before that registration.
#include "logging.h"
#include "os/linux/os_linux.h"

#include <QGuiApplication>
#include <QX11Info>

#include <cstdlib>
#include <xcb/xcb.h>

namespace {
// Plain pointers: exit() destroys objects, and these are read while it does.
COSLinux *g_watched = nullptr;
xcb_connection_t *g_connection = nullptr;

void OnProcessExit()
{
    COSLinux *os = g_watched;
    if (!os || !g_connection || xcb_connection_has_error(g_connection) == 0)
        return;
    g_watched = nullptr;
    qCWarning(lcOs) << "display connection lost; saving before the process ends";
    emit os->sigDisplayLost();
}
} // namespace

void COSLinux::WatchDisplayConnection()
{
    if (g_watched || !QX11Info::isPlatformX11() || !QX11Info::connection())
        return;
    g_watched = this;
    g_connection = QX11Info::connection();
    static const bool registered = std::atexit(OnProcessExit) == 0;
    if (!registered)
        qCWarning(lcOs) << Q_FUNC_INFO << "cannot watch the display connection";
    // An orderly end closes the connection with the application object; nothing to do then.
    QObject::connect(qApp, &QObject::destroyed, [] {
        g_watched = nullptr;
        g_connection = nullptr;
    });
}
