#pragma once

#include <QObject>
#include <QPointer>

class CConnector;
class QLocalServer;
class QLocalSocket;

// A control channel for end-to-end tests of linking, in place of the linking views: it
// calls the connector's invokable methods exactly as the views do and reports its signals.
// It exists only when the environment variable TOLVANE_TEST_CONTROL names a socket path, and
// only this user may connect to it. One JSON object per line in each direction:
//   {"cmd":"connect","ip":..,"port":..,"pwd":..}   connect2Server
//   {"cmd":"download_file","ip":..,"path":..,"save":..}   downloadFile
//   {"cmd":"download_image","ip":..,"md5":..}   downloadImg
//   {"cmd":"hosts"}   answered with {"hosts":[{ip, name, os, is_init, rows:[{plain, md5, type}]}]}
// and, unasked, {"signal":name,"args":[...]} for each signal of the connector.
// It ships in the program rather than behind a build option so that the end-to-end linking
// tests drive the very binary that is packaged, not a variant of it; unused, it costs one
// environment lookup at start.
class CConnectorControl : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *kEnvironmentVariable = "TOLVANE_TEST_CONTROL";

    // The channel the environment asks for, or nullptr.
    static CConnectorControl *fromEnvironment(CConnector *connector, QObject *parent);

private:
    CConnectorControl(CConnector *connector, QObject *parent);
    bool listen(const QString &path);
    void onNewConnection();
    void onCommand(const QByteArray &line);
    void send(const QJsonObject &obj);
    void forwardSignals();
    QJsonObject hosts() const;

    CConnector *m_connector;
    QLocalServer *m_server;
    QPointer<QLocalSocket> m_client;
};
