#pragma once

#include "datasync/connector.h"

#include <QObject>
#include <QQmlApplicationEngine>

class QQmlContext;

// The application controller: owns the main QML engine (and, as they are built, the tray
// icon, hot keys, connector and updater), fills the QML contexts, wires the services,
// loads the main window and runs the delayed start-up.
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

    QQmlApplicationEngine *engine() { return &m_engine; }
    CConnector *connector() { return &m_connector; }

public slots:
    void ShowMsg(const QString &msg);

private slots:
    void DelayInit();

private:
    void showBalloon(const QString &msg, int msecs);
    void connectServices();

    QQmlApplicationEngine m_engine;
    CConnector m_connector;
};
