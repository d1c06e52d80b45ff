#pragma once

#include "datasync/connector.h"
#include "os/global_shortcut.h"
#include "system_tray_icon.h"
#include "updater/updater_helper.h"

#include <QObject>
#include <QPointer>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QSet>
#include <QTimer>

class CDragHelper;
class CQuickPasteView;
class CScriptingControl;
class QQmlContext;
class QQuickWindow;

// The application controller: owns the main QML engine, the tray icon, the three global
// hot keys, the quick paste window, the update checker and the drag helper (and, as it is
// built, the connector), fills the QML contexts, wires the services, restores the histories
// and runs the delayed start-up. The windows are made when first needed and given back
// after a while hidden, since the program spends most of its life with none on screen.
class CMain : public QObject
{
    Q_OBJECT
public:
    explicit CMain(QObject *parent = nullptr);
    ~CMain() override;

    // Connections, context and the restored histories; the main window, from main_qml, is
    // made on its first show (mainWindow()). Returns true: nothing here can fail any more.
    bool initialise(const QUrl &main_qml = QUrl(QStringLiteral("qrc:/qml/main.qml")));
    // The main window, created (hidden) when it does not exist; null when it cannot be.
    QQuickWindow *mainWindow();
    // The main window when it exists, without creating it.
    QQuickWindow *existingMainWindow() const { return m_mainWindow; }
    // How long the windows stay hidden before they are given back; 0 keeps them.
    void setReleaseHiddenAfter(int msecs);
    // Puts the shared services and the "img" provider into a context; static so that every
    // engine (quick paste window, QML tests) gets exactly the same set.
    static void SetupContext(QQmlContext *ctx);
    void CheckAppVersion();
    // The port of the connect_port setting; the default one when the setting holds none.
    static ushort linkServerPort();
    // Gives the hot keys the stored sequences (read anew) or takes them all away.
    void SetGlobalShortcutEnable(bool enable);

    QQmlApplicationEngine *engine() { return &m_engine; }
    CUpdaterHelper *updater() { return &m_updater; }
    CSystemTrayIcon *trayIcon() { return &m_tray; }
    // Null until the first quick paste request.
    CQuickPasteView *quickPasteView() const { return m_quickPaste; }
    CConnector *connector() { return &m_connector; }
    // The session bus interface; null until the main window exists.
    CScriptingControl *scripting() const { return m_scripting; }

public slots:
    void ShowMsg(const QString &msg);

private slots:
    void DelayInit();
    void ShowQuickWnd();
    void ShowQuickWndPin();
    void ToggleMainWnd();

private:
    void showBalloon(const QString &msg, int msecs);
    void connectServices();
    void setupHotKeys();
    void setupTray();
    void setupLinkNotices();
    void setupPause();
    void setupScripting();
    void ensureQuickPasteView();
    void createMainWindow();
    void connectMainWindowNotices();
    // Runs a handler of a part of the main window that was made just now and so missed the
    // signal that made it.
    void replayToNewWindow(const char *part, const char *handler, const QVariantList &args);
    void releaseHiddenMainWindow();

    // In order of construction; destruction runs in reverse. The connector outlives the
    // window, whose host bar and host lists hold on to it and to its lists until the end.
    CConnector m_connector;
    QQmlApplicationEngine m_engine;
    CSystemTrayIcon m_tray;
    CQuickPasteView *m_quickPaste = nullptr;
    QxtGlobalShortcut m_hotkeyMain;
    QxtGlobalShortcut m_hotkeyQp;
    QxtGlobalShortcut m_hotkeyQpPin;
    // Hot keys the user was told could not be registered: each is told once.
    QSet<QString> m_hotkeysToldTaken;
    CUpdaterHelper m_updater;
    CDragHelper *m_drag = nullptr;
    bool m_linkNoticeShown = false; // the last balloon told of a linked host
    QUrl m_mainQml;
    QPointer<QQuickWindow> m_mainWindow;
    // Runs once the main window has been hidden for a while.
    QTimer m_mainHiddenTimer;
    int m_releaseHiddenMs = 0;
    CScriptingControl *m_scripting = nullptr;
};
