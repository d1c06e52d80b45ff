#include "os/wayland/os_wayland.h"

#include "os/os_logging.h"
#include "os/wayland/desktop_notice.h"
#include "os/wayland/wayland_connection.h"
#include "os/wayland/wayland_platform_clipboard.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace {
constexpr int kNoticeMs = 30000;

constexpr int kShortNoticeMs = 10000;

// Without data control only the toolkit's own clipboard remains, which sees the clipboard
// while a window of the program has the focus: the user has to know.
void WarnNoDataControl()
{
    qCWarning(lcOs) << "the compositor offers no" << WaylandConnection::dataControlInterface()
                    << "; the clipboard is seen only while a Tolvane window has the focus";
    DesktopNotice::Show(QCoreApplication::translate(
                            "Global",
                            "This desktop does not let Tolvane follow the clipboard. Start it "
                            "with QT_QPA_PLATFORM=xcb to run it through XWayland."),
                        kNoticeMs);
}
} // namespace

bool IsWaylandPlatform()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

COSWayland::COSWayland()
{
    // Hiding a window while Qt Quick's render thread draws it through Mesa's Wayland EGL
    // crashes that thread or ends the connection with a protocol error now and then. The
    // windows are small: they draw on the GUI thread. Qt reads this when it makes the first
    // Qt Quick window, after the platform is known and the backend chosen; a value the user
    // set is kept.
    if (!qEnvironmentVariableIsSet("QSG_RENDER_LOOP"))
        qputenv("QSG_RENDER_LOOP", "basic");
}

COSWayland::~COSWayland() = default;

bool COSWayland::ClipboardNeedsFocus()
{
    if (m_dataControl < 0) {
        const std::unique_ptr<WaylandConnection> connection = WaylandConnection::Open();
        m_dataControl = connection && connection->offersDataControl() ? 1 : 0;
    }
    return m_dataControl == 0;
}

void COSWayland::ShowNotice(const QString &text)
{
    DesktopNotice::Show(text, kShortNoticeMs);
}

CClipboardAbstract *COSWayland::createClipboardWatcher()
{
    if (ClipboardNeedsFocus())
        WarnNoDataControl();
    // A child of the application, so it goes while the event loop still exists.
    return new WaylandPlatformClipboard(qApp);
}

PasteOutcome COSWayland::SendPasteKeystroke()
{
    // A Wayland client is not told which application has the focus, so the window-class
    // table cannot apply: Ctrl+V. Nor does it see the target read the offer.
    return m_paste.send() ? PasteOutcome::Sent : PasteOutcome::NotSent;
}

QScreen *COSWayland::ForegroundScreen()
{
    return nullptr;
}
