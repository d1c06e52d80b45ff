#include "os/x11/display_loss.h"

#include "os/os_abstract.h"
#include "os/os_logging.h"

#include <QCoreApplication>
#include <QX11Info>

#include <cstdlib>
#include <xcb/xcb.h>

namespace {
// Plain pointers: exit() destroys objects, and these are read while it does.
COSAbstract *g_watched = nullptr;
xcb_connection_t *g_connection = nullptr;

void OnProcessExit()
{
    COSAbstract *os = g_watched;
    if (!os || !g_connection || xcb_connection_has_error(g_connection) == 0)
        return;
    g_watched = nullptr;
    qCWarning(lcOs) << "display connection lost; saving before the process ends";
    emit os->sigDisplayLost();
}
} // namespace

namespace DisplayLoss {

void Watch(COSAbstract *os)
{
    if (g_watched || !QX11Info::isPlatformX11() || !QX11Info::connection())
        return;
    g_watched = os;
    g_connection = QX11Info::connection();
    static const bool registered = std::atexit(OnProcessExit) == 0;
    if (!registered)
        qCWarning(lcOs) << "DisplayLoss::Watch"
                        << "cannot watch the display connection";
    // An orderly end closes the connection with the application object; nothing to do then.
    QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [] {
        g_watched = nullptr;
        g_connection = nullptr;
    });
}

} // namespace DisplayLoss
