#include "datasync/server.h"

#include <QSslSocket>
#include <QWebSocket>

namespace {
QString EndpointKey(const QHostAddress &address, quint16 port)
{
    return address.toString() + QLatin1Char('|') + QString::number(port);
}
} // namespace

CServer::CServer() : QWebSocketServer(QStringLiteral("tolvane_server"), NonSecureMode)
{
    connect(this, &QWebSocketServer::newConnection, this, &CServer::onNewConnection);
    connect(&m_front, &CTlsSniffingServer::sigPlainConnection, this, [this](QTcpSocket *socket) {
        // The WebSocket server owns the socket from here on.
        socket->setParent(nullptr);
        handleConnection(socket);
    });
    connect(&m_front, &CTlsSniffingServer::sigEncryptedConnection, this,
            [this](QSslSocket *socket, const QByteArray &fingerprint) {
                const QString key = EndpointKey(socket->peerAddress(), socket->peerPort());
                m_fingerprints.insert(key, fingerprint);
                connect(socket, &QObject::destroyed, this,
                        [this, key] { m_fingerprints.remove(key); });
                socket->setParent(nullptr);
                handleConnection(socket);
            });
}

QString CServer::Start(ushort port)
{
    if (m_started)
        return QString();
    if (!m_front.listen(QHostAddress::AnyIPv4, port))
        return m_front.errorString();
    m_started = true;
    return QString();
}

CServer::Arrival CServer::takeArrival(const QWebSocket *socket)
{
    Arrival arrival;
    const QString key = EndpointKey(socket->peerAddress(), socket->peerPort());
    arrival.peer_fingerprint = m_fingerprints.take(key);
    arrival.encrypted = !arrival.peer_fingerprint.isEmpty();
    return arrival;
}

void CServer::onNewConnection()
{
    QWebSocket *socket = nextPendingConnection();
    if (!socket)
        return;
    socket->setParent(this);
    emit SigClientArrived(socket);
}
