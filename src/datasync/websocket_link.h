#pragma once

#include "datasync/peer_link.h"

#include <QTimer>
#include <QWebSocketProtocol>

class QWebSocket;

// A link over a WebSocket connection. It takes the socket over and caps what the peer may
// send: a text message over 64 KiB or a binary one over 1 MiB closes the connection. It
// also caps what waits to be sent: past kHardQueueBytes (answers the socket library gives
// by itself, such as pongs, included) the connection is aborted.
class CWebSocketLink : public CPeerLink
{
    Q_OBJECT
public:
    static constexpr int kMaxTextBytes = 64 * 1024;
    static constexpr int kMaxBinaryBytes = 1024 * 1024;
    // How often the queue is looked at while nothing is sent or received.
    static constexpr int kQueueCheckMs = 100;
    // A closed link whose peer does not answer the closing handshake is dropped after this.
    static constexpr int kCloseGraceMs = 2000;
    // A ping goes out at this interval; a peer that has answered none of the last
    // kMaxMissedPongs (and sent nothing else) is gone: suspended, or off the network.
    static constexpr int kKeepAliveMs = 20000;
    static constexpr int kMaxMissedPongs = 3;

    explicit CWebSocketLink(QWebSocket *socket, QObject *parent = nullptr);

    QString peerAddress() const override { return m_peer; }
    QHostAddress localAddress() const override;
    void sendText(const QString &msg) override;
    void sendBinary(const QByteArray &msg) override;
    void close() override;
    void abort() override;
    qint64 queuedBytes() const override;
    // 0 turns the pings off.
    void setKeepAlive(int interval_ms);

    QWebSocket *socket() const { return m_socket; }

private:
    void onText(const QString &msg);
    void onBinary(const QByteArray &msg);
    void closeWith(QWebSocketProtocol::CloseCode code);
    // Aborts once the queue is past the hard cap; false when the link is going.
    bool checkQueue();
    void onKeepAlive();

    QWebSocket *m_socket;
    QString m_peer;
    QTimer m_queueCheck;
    QTimer m_keepAlive;
    int m_missedPongs = 0;
    bool m_dropping = false;
};

// The text form of an address, with an IPv4 address mapped into IPv6 written as IPv4.
QString AddressText(const QHostAddress &address);
