#include "os/linux/paste_keystroke.h"

#include "os/os_logging.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <QX11Info>

// Xlib last: its macros (None, Bool, KeyPress...) clash with Qt names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {
// Time the target application gets to ask for and read the clipboard.
constexpr int kPasteSettleMs = 150;
// The window manager hands the focus back to the previous window some time after ours
// hides; with nothing to hand it to, the keystroke goes out after this.
constexpr int kFocusReturnMs = 500;
constexpr int kFocusPollMs = 5;

// Whether the X input focus is still on its way: on a window of ours that is hidden, or,
// between the server dropping it and the window manager giving it on, on no window.
// Asked of the server: Qt itself reports a focus loss only some time later.
bool FocusInTransit(Display *dpy)
{
    Window focus = 0;
    int revert_to = 0;
    XGetInputFocus(dpy, &focus, &revert_to);
    if (focus == 0 || focus == PointerRoot)
        return true;
    const QWindowList windows = QGuiApplication::allWindows();
    for (const QWindow *window : windows) {
        if (window->handle() && !window->isVisible() && Window(window->winId()) == focus)
            return true;
    }
    return false;
}

// Waits, serving events, until the window manager has moved the focus off a window of
// ours that just hid: the keystroke must reach the window the focus returns to.
void WaitForFocusToLeaveHiddenWindows(Display *dpy)
{
    QDeadlineTimer deadline(kFocusReturnMs);
    while (FocusInTransit(dpy) && !deadline.hasExpired()) {
        QEventLoop loop;
        QTimer::singleShot(kFocusPollMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
}
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
    WaitForFocusToLeaveHiddenWindows(dpy);
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
