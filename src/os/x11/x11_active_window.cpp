#include "os/x11/x11_active_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QX11Info>

// Xlib last: its macros (None, Bool, Status...) clash with Qt names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {
Window ActiveWindow(Display *dpy)
{
    const Atom net_active = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", True);
    if (net_active == 0)
        return 0;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    Window active = 0;
    if (XGetWindowProperty(dpy, DefaultRootWindow(dpy), net_active, 0, 1, False, XA_WINDOW, &type,
                           &format, &count, &remaining, &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1)
        active = *reinterpret_cast<Window *>(data);
    if (data)
        XFree(data);
    return active;
}
} // namespace

unsigned long X11ActiveWindowId()
{
    if (!QX11Info::isPlatformX11())
        return 0;
    Display *dpy = QX11Info::display();
    return dpy ? ActiveWindow(dpy) : 0;
}

QRect X11ActiveWindowGeometry()
{
    if (!QX11Info::isPlatformX11())
        return QRect();
    Display *dpy = QX11Info::display();
    const Window active = dpy ? ActiveWindow(dpy) : 0;
    if (active == 0)
        return QRect();
    // A window that vanished meanwhile fails these requests; Qt's Xlib error handler
    // keeps that from ending the process.
    Window root = 0, child = 0;
    int x = 0, y = 0, root_x = 0, root_y = 0;
    unsigned int width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(dpy, active, &root, &x, &y, &width, &height, &border, &depth) ||
        !XTranslateCoordinates(dpy, active, root, 0, 0, &root_x, &root_y, &child))
        return QRect();
    return QRect(root_x, root_y, int(width), int(height));
}

QScreen *X11ActiveWindowScreen()
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
