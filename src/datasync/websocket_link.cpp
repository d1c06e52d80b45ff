#include "datasync/websocket_link.h"

#include "datasync/datasync_logging.h"

#include <QTcpSocket>
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
    connect(socket, &QWebSocket::binaryMessageReceived, this, &CWebSocketLink::onBinary);
    connect(socket, &QWebSocket::disconnected, this, [this] {
        m_queueCheck.stop();
        m_keepAlive.stop();
        emit disconnected();
    });
    connect(socket, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), this,
            [this] { emit errorOccurred(m_socket->errorString()); });
    // The library answers pings by itself; a peer that pings and never reads is caught right
    // after each read, where the TCP socket is reachable, and by the timer otherwise.
    if (auto *tcp = socket->findChild<QTcpSocket *>())
        connect(tcp, &QIODevice::readyRead, this, &CWebSocketLink::checkQueue,
                Qt::QueuedConnection);
    m_queueCheck.setInterval(kQueueCheckMs);
    connect(&m_queueCheck, &QTimer::timeout, this, &CWebSocketLink::checkQueue);
    m_queueCheck.start();
    // Anything the peer sends shows it is there.
    connect(socket, &QWebSocket::pong, this, [this] { m_missedPongs = 0; });
    connect(&m_keepAlive, &QTimer::timeout, this, &CWebSocketLink::onKeepAlive);
    setKeepAlive(kKeepAliveMs);
}

void CWebSocketLink::setKeepAlive(int interval_ms)
{
    m_missedPongs = 0;
    if (interval_ms <= 0) {
        m_keepAlive.stop();
        return;
    }
    m_keepAlive.start(interval_ms);
}

void CWebSocketLink::onKeepAlive()
{
    if (m_dropping)
        return;
    if (m_missedPongs >= kMaxMissedPongs) {
        qCWarning(lcDataSync) << m_peer << "answered none of the last" << m_missedPongs
                              << "pings; dropping the link";
        abort();
        return;
    }
    ++m_missedPongs;
    m_socket->ping();
}

QHostAddress CWebSocketLink::localAddress() const
{
    return m_socket->localAddress();
}

qint64 CWebSocketLink::queuedBytes() const
{
    return m_socket->bytesToWrite();
}

bool CWebSocketLink::checkQueue()
{
    if (m_dropping)
        return false;
    const qint64 queued = m_socket->bytesToWrite();
    if (queued <= kHardQueueBytes)
        return true;
    qCWarning(lcDataSync) << m_peer << "does not read what is sent:" << queued
                          << "bytes waiting; dropping the link";
    abort();
    return false;
}

void CWebSocketLink::sendText(const QString &msg)
{
    if (checkQueue())
        m_socket->sendTextMessage(msg);
}

void CWebSocketLink::sendBinary(const QByteArray &msg)
{
    if (checkQueue())
        m_socket->sendBinaryMessage(msg);
}

void CWebSocketLink::close()
{
    closeWith(QWebSocketProtocol::CloseCodeNormal);
}

void CWebSocketLink::closeWith(QWebSocketProtocol::CloseCode code)
{
    if (m_dropping)
        return;
    m_socket->close(code);
    // The closing handshake needs the peer; one that never answers is not waited for.
    QTimer::singleShot(kCloseGraceMs, this, [this] {
        if (m_socket->state() != QAbstractSocket::UnconnectedState)
            abort();
    });
}

void CWebSocketLink::abort()
{
    if (m_dropping)
        return;
    m_dropping = true;
    m_queueCheck.stop();
    m_keepAlive.stop();
    QMetaObject::invokeMethod(m_socket, &QWebSocket::abort, Qt::QueuedConnection);
}

void CWebSocketLink::onText(const QString &msg)
{
    if (m_dropping || !checkQueue())
        return;
    // A UTF-16 unit takes at most three UTF-8 bytes, so only long texts need measuring.
    if (msg.size() > kMaxTextBytes / 3 && msg.toUtf8().size() > kMaxTextBytes) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "text message too large from" << m_peer
                              << msg.size() << "characters; closing";
        closeWith(QWebSocketProtocol::CloseCodeTooMuchData);
        return;
    }
    m_missedPongs = 0;
    emit textReceived(msg);
}

void CWebSocketLink::onBinary(const QByteArray &msg)
{
    if (m_dropping || !checkQueue())
        return;
    m_missedPongs = 0;
    emit binaryReceived(msg);
}
