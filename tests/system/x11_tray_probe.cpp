#include "x11_tray_probe.h"

#include <QByteArray>
#include <QX11Info>

// Xlib last: its macros (None, Bool, Status...) clash with Qt names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {
long WindowPid(Display *dpy, Window w)
{
    const Atom pid_atom = XInternAtom(dpy, "_NET_WM_PID", True);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    long pid = -1;
    if (pid_atom &&
        XGetWindowProperty(dpy, w, pid_atom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &remaining, &data) == Success &&
        type == XA_CARDINAL && count == 1)
        pid = long(*reinterpret_cast<unsigned long *>(data));
    if (data)
        XFree(data);
    return pid;
}

bool IsMappedPopupMenu(Display *dpy, Window w)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(dpy, w, &attributes) || attributes.map_state != IsViewable)
        return false;
    const Atom type_atom = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE", True);
    const Atom popup = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_POPUP_MENU", True);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    bool found = false;
    if (type_atom && popup &&
        XGetWindowProperty(dpy, w, type_atom, 0, 8, False, XA_ATOM, &type, &format, &count,
                           &remaining, &data) == Success &&
        type == XA_ATOM) {
        const auto *types = reinterpret_cast<const Atom *>(data);
        for (unsigned long i = 0; i < count && !found; ++i)
            found = types[i] == popup;
    }
    if (data)
        XFree(data);
    return found;
}

Window FindDocked(Display *dpy, Window w, long tray_pid, long app_pid, bool inside)
{
    const long pid = WindowPid(dpy, w);
    if (inside && pid == app_pid)
        return w;
    inside = inside || pid == tray_pid;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(dpy, w, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i)
            found = FindDocked(dpy, children[i], tray_pid, app_pid, inside);
        if (children)
            XFree(children);
    }
    return found;
}
} // namespace

namespace X11TrayProbe {

bool TrayManagerRunning()
{
    Display *dpy = QX11Info::display();
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(DefaultScreen(dpy));
    return XGetSelectionOwner(dpy, XInternAtom(dpy, name.constData(), False)) != 0;
}

quint64 FindDockedWindow(qint64 tray_pid, qint64 app_pid)
{
    Display *dpy = QX11Info::display();
    return FindDocked(dpy, DefaultRootWindow(dpy), long(tray_pid), long(app_pid), false);
}

bool PopupMenuShown(qint64 app_pid)
{
    // Menus are override-redirect children of the root.
    Display *dpy = QX11Info::display();
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    bool shown = false;
    if (XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !shown; ++i)
            shown =
                WindowPid(dpy, children[i]) == long(app_pid) && IsMappedPopupMenu(dpy, children[i]);
        if (children)
            XFree(children);
    }
    return shown;
}

QRect RootGeometry(quint64 window)
{
    Display *dpy = QX11Info::display();
    Window root = 0, child = 0;
    int x = 0, y = 0, root_x = 0, root_y = 0;
    unsigned int width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(dpy, Window(window), &root, &x, &y, &width, &height, &border, &depth) ||
        !XTranslateCoordinates(dpy, Window(window), root, 0, 0, &root_x, &root_y, &child))
        return QRect();
    return QRect(root_x, root_y, int(width), int(height));
}

} // namespace X11TrayProbe
