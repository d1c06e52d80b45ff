#include "os/linux/os_linux.h"

#include "os/linux/linux_platform_clipboard.h"
#include "os/linux/resize_border_filter.h"
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
    // A child of the application, so its timer stops while the event loop still exists.
    if (!m_watcher)
        m_watcher = new LinuxPlatformClipboard(qApp);
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
