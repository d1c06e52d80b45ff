#pragma once

#include "os/global_shortcut.h"
#include "system_tray_icon.h"

#include <QObject>
#include <QQmlApplicationEngine>

class CQuickPasteView;
class QQmlContext;

// The application controller: owns the main QML engine, the tray icon, the three global
// hot keys and the quick paste window (and, as they are built, the connector and updater),
// fills the QML contexts, wires the services, loads the main window and runs the delayed
// start-up.
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
    // Gives the hot keys the stored sequences (read anew) or takes them all away.
    void SetGlobalShortcutEnable(bool enable);

    QQmlApplicationEngine *engine() { return &m_engine; }
    CSystemTrayIcon *trayIcon() { return &m_tray; }
    // Null until the first quick paste request.
    CQuickPasteView *quickPasteView() const { return m_quickPaste; }

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
    void ensureQuickPasteView();

    // In order of construction; destruction runs in reverse.
    QQmlApplicationEngine m_engine;
    CSystemTrayIcon m_tray;
    CQuickPasteView *m_quickPaste = nullptr;
    QxtGlobalShortcut m_hotkeyMain;
    QxtGlobalShortcut m_hotkeyQp;
    QxtGlobalShortcut m_hotkeyQpPin;
};
