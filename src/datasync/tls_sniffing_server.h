#pragma once

#include "datasync/link_identity.h"

#include <QSet>
#include <QTcpServer>

class QSslSocket;
class QTcpSocket;

// The link port's listener: one port serves both TLS and clear-text WebSocket links. The
// first byte of a connection tells them apart (a TLS ClientHello starts with 0x16, an
// HTTP upgrade with a letter); the byte is peeked, not taken, so whoever gets the socket
// reads the whole stream. A connection that sends nothing, or does not finish its TLS
// handshake, within the time-out is aborted; never more than kMaxWaiting wait at once.
class CTlsSniffingServer : public QTcpServer
{
    Q_OBJECT
public:
    static constexpr int kWaitTimeoutMs = 5000;
    static constexpr int kMaxWaiting = 32;
    static constexpr char kTlsHandshakeRecord = 0x16;

    explicit CTlsSniffingServer(QObject *parent = nullptr);

    // Without an identity a TLS connection is aborted.
    void setIdentity(const LinkIdentity &identity) { m_identity = identity; }
    void setWaitTimeout(int ms) { m_waitTimeoutMs = ms; }
    int waitingCount() const { return m_waiting.size(); }

signals:
    // The socket's parent is this server until the receiver takes it.
    void sigPlainConnection(QTcpSocket *socket);
    // The TLS handshake is done; peer_fingerprint is that of the client's certificate.
    void sigEncryptedConnection(QSslSocket *socket, const QByteArray &peer_fingerprint);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void onFirstBytes(QSslSocket *socket);
    void onEncrypted(QSslSocket *socket);
    void drop(QSslSocket *socket);

    LinkIdentity m_identity;
    QSet<QSslSocket *> m_waiting;
    int m_waitTimeoutMs = kWaitTimeoutMs;
};
