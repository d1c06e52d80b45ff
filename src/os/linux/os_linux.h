#pragma once

#include "os/os_abstract.h"

#include <QList>
#include <QPointer>

class CResizeBorderFilter;

// The Linux base of the operating-system layer, shared by the X11 and Wayland backends: what
// does not depend on the display server. Each concern lives in a file of its own
// (autostart_entry, file_manager_reveal, file_move, file_type_icons, running_processes,
// system_theme); this class delegates to them.
class COSLinux : public COSAbstract
{
    Q_OBJECT
public:
    COSLinux();
    ~COSLinux() override;

    bool RevealInFileManager(const QList<QUrl> &files) override;
    void SetAutoRun(bool enable) override;
    void MoveFileWithUndo(const QString &from, const QString &to) override;
    void ApplyTheme(bool light) override;
    void SetupMainWindow(QQuickWindow *window, QQmlContext *context) override;
    void SetupQuickPasteWindow(QQuickWindow *window, QQmlContext *context) override;
    bool IsSystemDarkTheme() override;
    bool isCompositingManagerRunning() override;
    QString findRunningExecutable(const QString &base_name) override;
    QIcon fileIcon(const QFileInfo &info) override;

private:
    void installResizeBorders(QQuickWindow *window);

    // Owned by their windows too; whichever goes first takes them along.
    QList<QPointer<CResizeBorderFilter>> m_borderFilters;
};
