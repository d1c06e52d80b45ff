#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

class CClipboardAbstract;
class QQmlContext;
class QQuickWindow;
class QScreen;

// Everything that touches the desktop beyond what Qt offers. One backend per platform
// implements it (chosen in CMake); the rest of the program only calls these operations.
class COSAbstract : public QObject
{
    Q_OBJECT
public:
    COSAbstract() : QObject(nullptr) {}

    // The process-wide clipboard watcher, created on first use.
    virtual CClipboardAbstract *ClipboardWatcher() = 0;
    // Opens the file manager on the folder of the first file with the files selected.
    virtual bool RevealInFileManager(const QList<QUrl> &files) = 0;
    // Ctrl+V to the focused window, then a 150 ms wait that keeps processing events.
    virtual void SendPasteKeystroke() = 0;
    virtual void SetAutoRun(bool enable) = 0;
    virtual void MoveFileWithUndo(const QString &from, const QString &to) = 0;
    // Loads the tray-menu style sheet matching the chosen theme.
    virtual void ApplyTheme() {}
    // Frameless windows get their resize borders here.
    virtual void SetupMainWindow(QQuickWindow *window, QQmlContext *context);
    virtual void SetupQuickPasteWindow(QQuickWindow *window, QQmlContext *context);
    virtual bool IsSystemDarkTheme() { return false; }
    virtual QScreen *ForegroundScreen() = 0;

    // Beyond the Windows set: translucent window margins only look right with a
    // compositor, and finding a running program is platform specific.
    virtual bool IsCompositingManagerRunning() { return true; }
    // Full path of a running process whose executable's base name, lower-cased, equals
    // base_name (without extension); empty when none runs.
    virtual QString FindRunningExecutable(const QString &base_name) = 0;

    // Where the connection to the display can end under the program (an X server that goes
    // away ends the process at once), sigDisplayLost() is emitted on the main thread just
    // before that end, so that the program can save what it holds. Call once the services
    // that must save exist.
    virtual void WatchDisplayConnection() {}

signals:
    void sigDisplayLost();
};

// The backend's single instance, created on first call, destroyed at process exit.
COSAbstract *OsInstance();
