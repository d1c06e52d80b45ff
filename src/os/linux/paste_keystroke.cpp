#include "os/linux/paste_keystroke.h"

#include "os/os_logging.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QX11Info>

// Xlib last: its macros (None, Bool, KeyPress...) clash with Qt names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {
// Time the target application gets to ask for and read the clipboard.
constexpr int kPasteSettleMs = 150;
} // namespace

void PasteKeystroke::Send()
{
    if (!QX11Info::isPlatformX11()) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "needs X11, platform is"
                        << QGuiApplication::platformName();
        return;
    }
    Display *dpy = QX11Info::display();
    int event_base, error_base, major, minor;
    if (!dpy || !XTestQueryExtension(dpy, &event_base, &error_base, &major, &minor)) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "the X server lacks XTEST";
        return;
    }
    const KeyCode ctrl = XKeysymToKeycode(dpy, XK_Control_L);
    const KeyCode v = XKeysymToKeycode(dpy, XK_v);
    if (ctrl == 0 || v == 0) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "no key code for Control_L or v" << ctrl << v;
        return;
    }
    XTestFakeKeyEvent(dpy, ctrl, True, CurrentTime);
    XTestFakeKeyEvent(dpy, v, True, CurrentTime);
    XTestFakeKeyEvent(dpy, v, False, CurrentTime);
    XTestFakeKeyEvent(dpy, ctrl, False, CurrentTime);
    XFlush(dpy);

    // Keep serving events meanwhile: the target asks this process for the clipboard.
    QEventLoop loop;
    QTimer::singleShot(kPasteSettleMs, &loop, &QEventLoop::quit);
    loop.exec();
}
