#include "logging.h"
#include "os/linux/os_linux.h"

#include <QCoreApplication>
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
// hides; a lost notice must not hold the paste up.
constexpr int kFocusReturnMs = 500;

// Waits, serving events, until no hidden window of ours holds the keyboard focus any
// more: the keystroke must reach the window the focus returns to.
void WaitForFocusToLeaveHiddenWindows()
{
    auto hidden_focus = [] {
        const QWindow *focus = QGuiApplication::focusWindow();
        return focus && !focus->isVisible();
    };
    QDeadlineTimer deadline(kFocusReturnMs);
    while (hidden_focus() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}
} // namespace

void COSLinux::SendPasteKeystroke()
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
    WaitForFocusToLeaveHiddenWindows();
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
