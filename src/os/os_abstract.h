#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

class CClipboardAbstract;
class QFileInfo;
class QMimeData;
class QQmlContext;
class QQuickWindow;
class QScreen;

// How a paste keystroke went: not sent at all (the user was told to paste by hand), sent,
// or sent and the target was seen reading what it pastes.
enum class PasteOutcome
{
    NotSent,
    Sent,
    Read
};

// Everything that touches the desktop beyond what Qt offers. One backend per platform
// implements it (chosen in CMake); the rest of the program only calls these operations.
// Nothing here knows the layers above: what an operation needs is passed in.
class COSAbstract : public QObject
{
    Q_OBJECT
public:
    COSAbstract() : QObject(nullptr) {}

    // The process-wide clipboard watcher: the one given to setClipboardWatcher, else the
    // backend's own, created on first use.
    CClipboardAbstract *ClipboardWatcher();
    // Puts `watcher` in place of the backend's own (tests use an in-memory clipboard). Only
    // while no watcher is in place, that is before the first ClipboardWatcher() call, since
    // its users connect to the watcher they were given; false when refused. The caller
    // keeps ownership and keeps it alive.
    bool setClipboardWatcher(CClipboardAbstract *watcher);

    // Opens the file manager on the folder of the first file with the files selected.
    virtual bool RevealInFileManager(const QList<QUrl> &files) = 0;
    // The paste keystroke (Ctrl+V, or what the target's class needs) to the window that was
    // active when rememberPasteTarget() was last called, once it has the focus again; then
    // waits, processing events, for the target to read the clipboard. NotSent when no keys
    // could be sent and the user was told to press Ctrl+V. Read when some program read the
    // clipboard after the keys (for the log and tests: that need not be the paste itself).
    virtual PasteOutcome SendPasteKeystroke() = 0;
    // A drag from this process starts with this data (ownership stays with the drag): where
    // the platform's drag code refuses drop targets some data, the backend serves it.
    virtual void serveDragData(QMimeData *) {}
    // Called as the quick paste window opens: the window active now receives the paste.
    virtual void rememberPasteTarget() {}
    // The user's keystrokes by window class, "Name=Keys;..." (see PasteKeysForWindowClass).
    void setPasteKeysByClass(const QString &overrides) { m_pasteKeysByClass = overrides; }
    QString pasteKeysByClass() const { return m_pasteKeysByClass; }
    virtual void SetAutoRun(bool enable) = 0;
    virtual void MoveFileWithUndo(const QString &from, const QString &to) = 0;
    // Loads the tray-menu style sheet of the light or the dark theme.
    virtual void ApplyTheme(bool light);
    // Frameless windows get their resize borders here.
    virtual void SetupMainWindow(QQuickWindow *window, QQmlContext *context);
    virtual void SetupQuickPasteWindow(QQuickWindow *window, QQmlContext *context);
    virtual bool IsSystemDarkTheme() { return false; }
    virtual QScreen *ForegroundScreen() = 0;

    // Beyond the Windows set: translucent window margins only look right with a
    // compositor, and finding a running program is platform specific.
    virtual bool isCompositingManagerRunning() { return true; }
    // Where the clipboard takes contents only from a window that has the keyboard focus (a
    // Wayland compositor without data control), a quick paste writes before it hides.
    virtual bool ClipboardNeedsFocus() { return false; }
    // A message for the user outside the program's windows (a desktop notification), for
    // desktops where those windows may not be reachable; logged where there is none.
    virtual void ShowNotice(const QString &text);
    // Full path of a running process whose executable's base name, lower-cased, equals
    // base_name (without extension); empty when none runs.
    virtual QString findRunningExecutable(const QString &base_name) = 0;
    // The transparent margin (device-independent pixels) around the body of the frameless
    // windows set up from now on; their resize bands hug the body.
    void setWindowShadowLength(int length) { m_windowShadowLength = length; }
    int windowShadowLength() const { return m_windowShadowLength; }
    // The icon the desktop shows for this file or folder; null when it has none.
    // Interface thread only.
    virtual QIcon fileIcon(const QFileInfo &info);

    // Where the connection to the display can end under the program (an X server that goes
    // away ends the process at once), sigDisplayLost() is emitted on the main thread just
    // before that end, so that the program can save what it holds. Call once the services
    // that must save exist.
    virtual void watchDisplayConnection() {}

    // Hands the display what this program has asked of it so far (a window just shown), so
    // that the window manager maps the window while the program goes on working; Qt would
    // send it only once the event loop next waits.
    virtual void sendWindowRequests() {}

signals:
    void sigDisplayLost();

protected:
    virtual CClipboardAbstract *createClipboardWatcher() = 0;

private:
    QPointer<CClipboardAbstract> m_watcher;
    int m_windowShadowLength = 0;
    QString m_pasteKeysByClass;
};

// The backend's single instance, created on first call, destroyed at process exit.
COSAbstract *OsInstance();
