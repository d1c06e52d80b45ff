#pragma once

#include "datasync/connector.h"
#include "os/global_shortcut.h"
#include "system_tray_icon.h"
#include "updater/updater_helper.h"

#include <QObject>
#include <QQmlApplicationEngine>

class CDragHelper;
class CQuickPasteView;
class CScriptingControl;
class QQmlContext;
class QQuickWindow;

// The application controller: owns the main QML engine, the tray icon, the three global
// hot keys, the quick paste window, the update checker and the drag helper (and, as it is
// built, the connector), fills the QML contexts, wires the services, loads the main window
// and runs the delayed start-up.
class CMain : public QObject
{
    Q_OBJECT
public:
    explicit CMain(QObject *parent = nullptr);
    ~CMain() override;

    // Connections, context and main window. False when the window could not be created.
    bool initialise(const QUrl &main_qml = QUrl(QStringLiteral("qrc:/qml/main.qml")));
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

private:
    void showBalloon(const QString &msg, int msecs);
    void connectServices();
    void setupHotKeys();
    void setupTray();
    void setupScripting(QQuickWindow *window);
    void ensureQuickPasteView();

    // In order of construction; destruction runs in reverse. The connector outlives the
    // window, whose host bar and host lists hold on to it and to its lists until the end.
    CConnector m_connector;
    QQmlApplicationEngine m_engine;
    CSystemTrayIcon m_tray;
    CQuickPasteView *m_quickPaste = nullptr;
    QxtGlobalShortcut m_hotkeyMain;
    QxtGlobalShortcut m_hotkeyQp;
    QxtGlobalShortcut m_hotkeyQpPin;
    CUpdaterHelper m_updater;
    CDragHelper *m_drag = nullptr;
    CScriptingControl *m_scripting = nullptr;
};
