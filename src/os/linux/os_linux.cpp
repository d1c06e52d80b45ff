#include "os/linux/os_linux.h"

#include "logging.h"
#include "os/linux/linux_platform_clipboard.h"
#include "os/linux/resize_border_filter.h"
#include "os/linux/x11_selection.h"
#include "settings/settings_helper.h"

#include <QApplication>
#include <QFile>
#include <QX11Info>

COSAbstract *OsInstance()
{
    static COSLinux inst;
    return &inst;
}

COSLinux::COSLinux() = default;

COSLinux::~COSLinux()
{
    for (const QPointer<CResizeBorderFilter> &filter : qAsConst(m_borderFilters))
        delete filter.data();
}

CClipboardAbstract *COSLinux::ClipboardWatcher()
{
    if (m_watcher)
        return m_watcher;
    // XFixes events already report every change; only without them is the owner polled.
    LinuxPlatformClipboard::OwnerProbe poll_owner;
    if (QX11Info::isPlatformX11() && !X11HasXFixes(QX11Info::display())) {
        poll_owner = [] {
            return X11ClipboardOwner(QX11Info::display());
        };
        qCInfo(lcOs) << "no XFixes on this X server: polling the clipboard owner every 200 ms";
    }
    // A child of the application, so its timer stops while the event loop still exists.
    m_watcher = new LinuxPlatformClipboard(poll_owner, qApp);
    return m_watcher;
}

void COSLinux::ApplyTheme()
{
    CSettingsHelper *ini = CSettingsHelper::instance();
    const bool light = ini->getIni(ini->app_theme_color()).toBool();
    QFile css(light ? QStringLiteral("://def.css") : QStringLiteral("://dark.css"));
    if (!css.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    qApp->setStyleSheet(QString::fromUtf8(css.readAll()));
}

bool COSLinux::IsCompositingManagerRunning()
{
    return QX11Info::isPlatformX11() && QX11Info::isCompositingManagerRunning();
}
