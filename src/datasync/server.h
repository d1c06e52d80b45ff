#pragma once

#include <QWebSocketServer>

class QWebSocket;

// Accepts WebSocket connections from other hosts (plain "ws", no TLS) and hands each
// accepted socket over; the connector decides whether to keep it.
class CServer : public QWebSocketServer
{
    Q_OBJECT
public:
    CServer();

signals:
    void SigClientArrived(QWebSocket *socket);

public slots:
    // Listens on every IPv4 address at port; only the first call listens. Returns the
    // server's error text, empty on success.
    QString Start(ushort port);

private slots:
    void onNewConnection();

private:
    bool m_started = false;
};
