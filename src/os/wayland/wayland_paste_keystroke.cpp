#include "os/wayland/wayland_paste_keystroke.h"

#include "os/os_logging.h"
#include "os/wayland/desktop_notice.h"
#include "os/wayland/virtual_keyboard.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

namespace {
// Time the target application gets to ask for and read the clipboard.
constexpr int kPasteSettleMs = 150;
// The compositor gives the keyboard focus back to the previous window once ours is gone;
// keys sent before would reach nobody.
constexpr int kFocusReturnMs = 500;
constexpr int kFocusPollMs = 5;
constexpr int kNoticeMs = 5000;

bool FocusStillOnHiddenWindow()
{
    const QWindow *focus = QGuiApplication::focusWindow();
    return focus && !focus->isVisible();
}

void Serve(int msecs)
{
    QEventLoop loop;
    QTimer::singleShot(msecs, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

WaylandPasteKeystroke::WaylandPasteKeystroke() : m_remoteDesktop(QDBusConnection::sessionBus()) {}

WaylandPasteKeystroke::~WaylandPasteKeystroke() = default;

bool WaylandPasteKeystroke::sendThroughVirtualKeyboard()
{
    if (!m_virtualKeyboard && m_virtualKeyboardOffered) {
        m_virtualKeyboard = VirtualKeyboard::Create();
        m_virtualKeyboardOffered = bool(m_virtualKeyboard);
    }
    if (!m_virtualKeyboard)
        return false;
    if (m_virtualKeyboard->sendPaste())
        return true;
    m_virtualKeyboard.reset(); // the next paste connects anew
    return false;
}

bool WaylandPasteKeystroke::send()
{
    QDeadlineTimer deadline(kFocusReturnMs);
    while (FocusStillOnHiddenWindow() && !deadline.hasExpired())
        Serve(kFocusPollMs);
    if (!sendThroughVirtualKeyboard() && !m_remoteDesktop.sendPaste()) {
        DesktopNotice::Show(QCoreApplication::translate("Global", "Copied, press Ctrl+V"),
                            kNoticeMs);
        return false;
    }
    Serve(kPasteSettleMs);
    return true;
}
