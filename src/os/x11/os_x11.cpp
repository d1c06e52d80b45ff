#include "os/x11/os_x11.h"

#include "os/x11/display_loss.h"
#include "os/x11/linux_platform_clipboard.h"
#include "os/x11/paste_keystroke.h"
#include "os/x11/x11_active_window.h"
#include "os/x11/x11_selection.h"
#include "os/x11/xdnd_data_server.h"
#include "os/x11/xwayland_paste_target.h"

#include <QGuiApplication>
#include <QX11Info>

#include <xcb/xcb.h>

COSX11::COSX11() = default;

COSX11::~COSX11() = default;

CClipboardAbstract *COSX11::createClipboardWatcher()
{
    // A child of the application, so its timer stops while the event loop still exists.
    return new LinuxPlatformClipboard(X11ClipboardOwnerPoll(), qApp);
}

PasteOutcome COSX11::SendPasteKeystroke()
{
    // Under XWayland the keys reach X11 programs only; the item then stays for Ctrl+V.
    if (XWaylandPasteTarget::FocusOutsideX11())
        return PasteOutcome::NotSent;
    // A failure here is only logged: the user was not asked to paste by hand.
    return PasteKeystroke::Send(pasteKeysByClass());
}

void COSX11::serveDragData(QMimeData *mime)
{
    XdndDataServer::Serve(mime);
}

void COSX11::rememberPasteTarget()
{
    PasteKeystroke::RememberTarget();
}

QScreen *COSX11::ForegroundScreen()
{
    return X11ActiveWindowScreen();
}

void COSX11::watchDisplayConnection()
{
    DisplayLoss::Watch(this);
}

void COSX11::sendWindowRequests()
{
    if (xcb_connection_t *connection = QX11Info::connection())
        xcb_flush(connection);
}
