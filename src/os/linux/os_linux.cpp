#include "os/linux/os_linux.h"

#include "os/linux/autostart_entry.h"
#include "os/linux/file_manager_reveal.h"
#include "os/linux/file_move.h"
#include "os/linux/file_type_icons.h"
#include "os/linux/resize_border_filter.h"
#include "os/linux/running_processes.h"
#include "os/linux/system_theme.h"
#include "os/os_logging.h"

#include <QGuiApplication>
#include <QQuickWindow>

COSLinux::COSLinux() = default;

COSLinux::~COSLinux()
{
    for (const QPointer<CResizeBorderFilter> &filter : qAsConst(m_borderFilters))
        delete filter.data();
}

bool COSLinux::RevealInFileManager(const QList<QUrl> &files)
{
    return FileManagerReveal::ShowItems(files, this);
}

void COSLinux::SetAutoRun(bool enable)
{
    AutostartEntry::Apply(enable);
}

void COSLinux::MoveFileWithUndo(const QString &from, const QString &to)
{
    FileMove::Move(from, to);
}

void COSLinux::ApplyTheme(bool light)
{
    SystemTheme::ApplyStyleSheet(light);
}

bool COSLinux::IsSystemDarkTheme()
{
    return SystemTheme::PrefersDark();
}

bool COSLinux::isCompositingManagerRunning()
{
    return SystemTheme::CompositorRunning();
}

QString COSLinux::findRunningExecutable(const QString &base_name)
{
    return RunningProcesses::FindExecutable(base_name);
}

QIcon COSLinux::fileIcon(const QFileInfo &info)
{
    return FileTypeIcons::ForFile(info);
}

void COSLinux::SetupMainWindow(QQuickWindow *window, QQmlContext *)
{
    installResizeBorders(window);
}

void COSLinux::SetupQuickPasteWindow(QQuickWindow *window, QQmlContext *)
{
    installResizeBorders(window);
}

void COSLinux::installResizeBorders(QQuickWindow *window)
{
    if (!window) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "no window";
        return;
    }
    // One filter per window, however often the window is handed over.
    if (window->findChild<CResizeBorderFilter *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    m_borderFilters.append(new CResizeBorderFilter(window, windowShadowLength()));
}
