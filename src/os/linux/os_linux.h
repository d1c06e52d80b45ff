#pragma once

#include "os/os_abstract.h"

#include <QList>
#include <QPointer>

#include "os/linux/linux_platform_clipboard.h"

class CResizeBorderFilter;

// The Linux (X11) backend of the operating-system layer.
class COSLinux : public COSAbstract
{
    Q_OBJECT
public:
    COSLinux();
    ~COSLinux() override;

    CClipboardAbstract *ClipboardWatcher() override;
    bool RevealInFileManager(const QList<QUrl> &files) override;
    void SendPasteKeystroke() override;
    void SetAutoRun(bool enable) override;
    void MoveFileWithUndo(const QString &from, const QString &to) override;
    void ApplyTheme() override;
    void SetupMainWindow(QQuickWindow *window, QQmlContext *context) override;
    void SetupQuickPasteWindow(QQuickWindow *window, QQmlContext *context) override;
    bool IsSystemDarkTheme() override;
    QScreen *ForegroundScreen() override;
    bool IsCompositingManagerRunning() override;
    QString FindRunningExecutable(const QString &base_name) override;
    void WatchDisplayConnection() override;

private:
    void InstallResizeBorders(QQuickWindow *window);

    QPointer<LinuxPlatformClipboard> m_watcher;
    // Owned by their windows too; whichever goes first takes them along.
    QList<QPointer<CResizeBorderFilter>> m_borderFilters;
};
