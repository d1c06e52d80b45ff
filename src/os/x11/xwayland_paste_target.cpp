#include "os/x11/xwayland_paste_target.h"

#include "os/os_logging.h"
#include "os/wayland/desktop_notice.h"
#include "os/x11/x11_active_window.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

namespace XWaylandPasteTarget {

namespace {
// The desktop hands the focus back once our window is unmapped.
constexpr int kFocusReturnMs = 500;
constexpr int kPollMs = 10;
constexpr int kNoticeMs = 5000;

// A window of ours that was hidden: the focus has not moved on yet.
bool HiddenOfOurs(unsigned long window)
{
    const auto windows = QGuiApplication::allWindows();
    for (const QWindow *w : windows)
        if (w->handle() && w->winId() == window)
            return !w->isVisible();
    return false;
}
} // namespace

bool FocusOutsideX11()
{
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return false;
    // Between two windows the desktop may briefly report none: an X11 target shows up
    // within the wait, a Wayland one never does.
    QDeadlineTimer deadline(kFocusReturnMs);
    unsigned long active = X11ActiveWindowId();
    while ((active == 0 || HiddenOfOurs(active)) && !deadline.hasExpired()) {
        QEventLoop loop;
        QTimer::singleShot(kPollMs, &loop, &QEventLoop::quit);
        loop.exec();
        active = X11ActiveWindowId();
    }
    if (active != 0)
        return false;
    qCInfo(lcOs) << "the focus went to no X11 window: the keys would reach nobody";
    DesktopNotice::Show(QCoreApplication::translate("Global", "Copied, press Ctrl+V"), kNoticeMs);
    return true;
}

} // namespace XWaylandPasteTarget
