#include "datasync/websocket_link.h"

#include "datasync/datasync_logging.h"

#include <QWebSocket>

QString AddressText(const QHostAddress &address)
{
    bool is_v4 = false;
    const quint32 v4 = address.toIPv4Address(&is_v4);
    return is_v4 ? QHostAddress(v4).toString() : address.toString();
}

CWebSocketLink::CWebSocketLink(QWebSocket *socket, QObject *parent)
    : CPeerLink(parent), m_socket(socket), m_peer(AddressText(socket->peerAddress()))
{
    socket->setParent(this);
    // Binary messages are the largest the peer may send; texts are checked on arrival.
    socket->setMaxAllowedIncomingFrameSize(kMaxBinaryBytes);
    socket->setMaxAllowedIncomingMessageSize(kMaxBinaryBytes);
    connect(socket, &QWebSocket::textMessageReceived, this, &CWebSocketLink::onText);
    connect(socket, &QWebSocket::binaryMessageReceived, this, &CPeerLink::binaryReceived);
    connect(socket, &QWebSocket::disconnected, this, &CPeerLink::disconnected);
    connect(socket, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), this,
            [this] { emit errorOccurred(m_socket->errorString()); });
}

QHostAddress CWebSocketLink::localAddress() const
{
    return m_socket->localAddress();
}

void CWebSocketLink::sendText(const QString &msg)
{
    m_socket->sendTextMessage(msg);
}

void CWebSocketLink::sendBinary(const QByteArray &msg)
{
    m_socket->sendBinaryMessage(msg);
}

void CWebSocketLink::close()
{
    m_socket->close();
}

void CWebSocketLink::onText(const QString &msg)
{
    // A UTF-16 unit takes at most three UTF-8 bytes, so only long texts need measuring.
    if (msg.size() > kMaxTextBytes / 3 && msg.toUtf8().size() > kMaxTextBytes) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "text message too large from" << m_peer
                              << msg.size() << "characters; closing";
        m_socket->close(QWebSocketProtocol::CloseCodeTooMuchData);
        return;
    }
    emit textReceived(msg);
}
