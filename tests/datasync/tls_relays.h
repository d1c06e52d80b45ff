#pragma once

#include "datasync/link_identity.h"

#include <QByteArray>
#include <QSslSocket>
#include <QStringList>
#include <QTcpServer>

// A TCP relay that passes every byte on unchanged and keeps a copy of all of them: what an
// observer of the network would see.
class ByteRelay : public QObject
{
    Q_OBJECT
public:
    bool listen(quint16 target_port);
    quint16 port() const { return m_server.serverPort(); }
    const QByteArray &seen() const { return m_seen; }

private:
    QTcpServer m_server;
    quint16 m_target = 0;
    QByteArray m_seen;
};

// A slow network between two hosts: every byte is passed on unchanged after a chosen delay
// each way. The relay may connect onwards from another local address (the far host then
// sees this side's host by that address), and may freeze: it keeps both connections open
// and passes nothing more, as a host that was suspended or left the network.
class DelayRelay : public QObject
{
    Q_OBJECT
public:
    bool listen(quint16 target_port, int delay_ms, const QHostAddress &out_from = QHostAddress());
    quint16 port() const { return m_server.serverPort(); }
    void freeze() { m_frozen = true; }

private:
    void pipe(QTcpSocket *from, QTcpSocket *to);

    QTcpServer m_server;
    quint16 m_target = 0;
    int m_delay = 0;
    QHostAddress m_outFrom;
    bool m_frozen = false;
};

// A man in the middle: it ends the client's TLS with its own certificate, opens its own TLS
// connection to the server with another one, and passes the decrypted bytes across,
// keeping a copy of them.
class TlsTerminatingRelay : public QObject
{
    Q_OBJECT
public:
    explicit TlsTerminatingRelay(const LinkIdentity &identity) : m_identity(identity) {}
    bool listen(quint16 target_port);
    quint16 port() const { return m_server ? m_server->serverPort() : 0; }
    // The decrypted bytes, each way.
    const QByteArray &toServer() const { return m_toServer; }
    const QByteArray &toClient() const { return m_toClient; }
    bool bothSidesEncrypted() const { return m_encrypted == 2; }

private:
    class Server;
    void onIncoming(qintptr descriptor);

    LinkIdentity m_identity;
    QTcpServer *m_server = nullptr;
    quint16 m_target = 0;
    QByteArray m_toServer;
    QByteArray m_toClient;
    int m_encrypted = 0;
};

// The text messages of one direction of a WebSocket stream: the bytes after the HTTP head,
// unmasked.
QStringList TextMessagesOf(const QByteArray &stream);
