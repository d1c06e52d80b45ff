// The Linux desktop's backend, chosen when first asked for: Wayland's where the application
// runs as a Wayland client, X11's everywhere else (XWayland included).
#include "os/wayland/global_shortcut_portal.h"
#include "os/wayland/os_wayland.h"
#include "os/x11/global_shortcut_x11.h"
#include "os/x11/os_x11.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QPointer>

COSAbstract *OsInstance()
{
    if (IsWaylandPlatform()) {
        static COSWayland wayland;
        return &wayland;
    }
    static COSX11 x11;
    return &x11;
}

GlobalShortcutBackend *HotKeyBackend()
{
    if (IsWaylandPlatform()) {
        // A child of the application: its session closes while the bus connection lives.
        static QPointer<CPortalGlobalShortcuts> portal;
        if (!portal)
            portal = new CPortalGlobalShortcuts(QDBusConnection::sessionBus(),
                                                QCoreApplication::instance());
        return portal;
    }
    static X11GlobalShortcutBackend x11;
    return &x11;
}
