#include "os/linux/os_linux.h"
#include "os/linux/resize_border_filter.h"
#include "os/os_logging.h"

#include <QQuickWindow>

void COSLinux::SetupMainWindow(QQuickWindow *window, QQmlContext *)
{
    InstallResizeBorders(window);
}

void COSLinux::SetupQuickPasteWindow(QQuickWindow *window, QQmlContext *)
{
    InstallResizeBorders(window);
}

void COSLinux::InstallResizeBorders(QQuickWindow *window)
{
    if (!window) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "no window";
        return;
    }
    // One filter per window, however often the window is handed over.
    if (window->findChild<CResizeBorderFilter *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    m_borderFilters.append(new CResizeBorderFilter(window));
}
