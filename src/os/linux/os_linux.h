#pragma once

#include "os/os_abstract.h"

#include <QList>
#include <QPointer>

class CResizeBorderFilter;

// The Linux (X11) backend of the operating-system layer. Each concern lives in a file of its
// own (autostart_entry, file_manager_reveal, file_move, file_type_icons, paste_keystroke,
// running_processes, system_theme, x11_active_window); this class delegates to them.
class COSLinux : public COSAbstract
{
    Q_OBJECT
public:
    COSLinux();
    ~COSLinux() override;

    bool RevealInFileManager(const QList<QUrl> &files) override;
    PasteOutcome SendPasteKeystroke() override;
    void rememberPasteTarget() override;
    void serveDragData(QMimeData *mime) override;
    void SetAutoRun(bool enable) override;
    void MoveFileWithUndo(const QString &from, const QString &to) override;
    void ApplyTheme(bool light) override;
    void SetupMainWindow(QQuickWindow *window, QQmlContext *context) override;
    void SetupQuickPasteWindow(QQuickWindow *window, QQmlContext *context) override;
    bool IsSystemDarkTheme() override;
    QScreen *ForegroundScreen() override;
    bool isCompositingManagerRunning() override;
    QString findRunningExecutable(const QString &base_name) override;
    QIcon fileIcon(const QFileInfo &info) override;
    void watchDisplayConnection() override;

protected:
    CClipboardAbstract *createClipboardWatcher() override;

private:
    void installResizeBorders(QQuickWindow *window);

    // Owned by their windows too; whichever goes first takes them along.
    QList<QPointer<CResizeBorderFilter>> m_borderFilters;
};
