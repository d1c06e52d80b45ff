#include "os/os_abstract.h"

#include "os/clipboard_abstract.h"
#include "os/os_logging.h"

#include <QFileIconProvider>
#include <QFileInfo>

CClipboardAbstract *COSAbstract::ClipboardWatcher()
{
    if (!m_watcher)
        m_watcher = createClipboardWatcher();
    return m_watcher;
}

bool COSAbstract::setClipboardWatcher(CClipboardAbstract *watcher)
{
    if (m_watcher) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "a watcher is already in place";
        return false;
    }
    m_watcher = watcher;
    return true;
}

void COSAbstract::ApplyTheme(bool) {}

void COSAbstract::ShowNotice(const QString &text)
{
    qCWarning(lcOs).noquote() << "notice:" << text;
}

void COSAbstract::SetupMainWindow(QQuickWindow *, QQmlContext *) {}

void COSAbstract::SetupQuickPasteWindow(QQuickWindow *, QQmlContext *) {}

QIcon COSAbstract::fileIcon(const QFileInfo &info)
{
    QFileIconProvider provider;
    if (info.isDir())
        return provider.icon(QFileIconProvider::Folder);
    const QIcon icon = provider.icon(info);
    return icon.isNull() ? provider.icon(QFileIconProvider::File) : icon;
}
