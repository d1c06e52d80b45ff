#pragma once

#include "datasync/peer_link.h"

class QWebSocket;

// A link over a WebSocket connection. It takes the socket over and caps what the peer may
// send: a text message over 64 KiB or a binary one over 1 MiB closes the connection.
class CWebSocketLink : public CPeerLink
{
    Q_OBJECT
public:
    static constexpr int kMaxTextBytes = 64 * 1024;
    static constexpr int kMaxBinaryBytes = 1024 * 1024;

    explicit CWebSocketLink(QWebSocket *socket, QObject *parent = nullptr);

    QString peerAddress() const override { return m_peer; }
    QHostAddress localAddress() const override;
    void sendText(const QString &msg) override;
    void sendBinary(const QByteArray &msg) override;
    void close() override;

    QWebSocket *socket() const { return m_socket; }

private:
    void onText(const QString &msg);

    QWebSocket *m_socket;
    QString m_peer;
};

// The text form of an address, with an IPv4 address mapped into IPv6 written as IPv4.
QString AddressText(const QHostAddress &address);
