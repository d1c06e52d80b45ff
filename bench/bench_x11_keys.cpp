#include "bench_x11_keys.h"

#include <QVector>
#include <QX11Info>

// Xlib last: its macros (None, Bool, Status...) clash with Qt names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

bool PressKeysViaServer(const QStringList &keysyms)
{
    Display *dpy = QX11Info::isPlatformX11() ? QX11Info::display() : nullptr;
    int event_base = 0, error_base = 0, major = 0, minor = 0;
    if (!dpy || !XTestQueryExtension(dpy, &event_base, &error_base, &major, &minor))
        return false;
    QVector<KeyCode> codes;
    for (const QString &name : keysyms) {
        const KeySym sym = XStringToKeysym(name.toLatin1().constData());
        const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(dpy, sym);
        if (code == 0)
            return false;
        codes << code;
    }
    for (const KeyCode code : codes)
        XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    for (int i = codes.size() - 1; i >= 0; --i)
        XTestFakeKeyEvent(dpy, codes.at(i), False, CurrentTime);
    XFlush(dpy);
    return true;
}
