#pragma once

#include "datasync/link_identity.h"
#include "datasync/tls_sniffing_server.h"

#include <QHash>
#include <QWebSocketServer>

class QWebSocket;

// Accepts WebSocket connections from other hosts, over TLS or in clear text on the same
// port, and hands each accepted socket over; the connector decides whether to keep it.
class CServer : public QWebSocketServer
{
    Q_OBJECT
public:
    // What the TLS layer showed of an accepted socket.
    struct Arrival
    {
        bool encrypted = false;
        QByteArray peer_fingerprint;
    };

    CServer();

    void setIdentity(const LinkIdentity &identity) { m_front.setIdentity(identity); }
    // The listening port and its state: the front listener's, not the WebSocket server's,
    // which never listens itself.
    quint16 serverPort() const { return m_front.serverPort(); }
    bool isListening() const { return m_front.isListening(); }
    QHostAddress serverAddress() const { return m_front.serverAddress(); }
    QString errorString() const { return m_front.errorString(); }
    void close() { m_front.close(); }
    // How the socket arrived; asked once, when SigClientArrived is handled.
    Arrival takeArrival(const QWebSocket *socket);

signals:
    void SigClientArrived(QWebSocket *socket);

public slots:
    // Listens on every IPv4 address at port; once it listens, further calls do nothing.
    // Returns the server's error text, empty on success.
    QString Start(ushort port);

private slots:
    void onNewConnection();

private:
    CTlsSniffingServer m_front;
    QHash<QString, QByteArray> m_fingerprints; // by peer address and port
    bool m_started = false;
};
