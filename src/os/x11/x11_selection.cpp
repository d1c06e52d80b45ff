#include "os/x11/x11_selection.h"

#include "os/os_logging.h"

#include <QX11Info>

// Xlib last: its macros (None, Bool, Status...) clash with Qt names.
#include <X11/Xlib.h>

bool X11HasXFixes(Display *dpy)
{
    int opcode = 0, first_event = 0, first_error = 0;
    return dpy && XQueryExtension(dpy, "XFIXES", &opcode, &first_event, &first_error);
}

quint64 X11ClipboardOwner(Display *dpy)
{
    if (!dpy)
        return 0;
    // Xlib answers repeated look-ups of a name from its own cache.
    const Atom clipboard = XInternAtom(dpy, "CLIPBOARD", False);
    return XGetSelectionOwner(dpy, clipboard);
}

std::function<quint64()> X11ClipboardOwnerPoll()
{
    if (!QX11Info::isPlatformX11() || X11HasXFixes(QX11Info::display()))
        return {};
    qCInfo(lcOs) << "no XFixes on this X server: polling the clipboard owner every 200 ms";
    return [] {
        return X11ClipboardOwner(QX11Info::display());
    };
}

QByteArray X11DisplayName()
{
    Display *dpy = QX11Info::display();
    return dpy ? QByteArray(DisplayString(dpy)) : QByteArray();
}
