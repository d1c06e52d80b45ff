#include "tls_relays.h"

#include "raw_websocket.h"

#include <QTcpSocket>

namespace {
void Pipe(QTcpSocket *from, QTcpSocket *to, QByteArray &copy)
{
    QObject::connect(from, &QIODevice::readyRead, to, [from, to, &copy] {
        const QByteArray bytes = from->readAll();
        copy += bytes;
        to->write(bytes);
    });
    QObject::connect(from, &QAbstractSocket::disconnected, to, [to] { to->disconnectFromHost(); });
}
} // namespace

bool ByteRelay::listen(quint16 target_port)
{
    m_target = target_port;
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *in = m_server.nextPendingConnection()) {
            auto *out = new QTcpSocket(in);
            Pipe(in, out, m_seen);
            Pipe(out, in, m_seen);
            out->connectToHost(QHostAddress::LocalHost, m_target);
        }
    });
    return m_server.listen(QHostAddress::LocalHost, 0);
}

class TlsTerminatingRelay::Server : public QTcpServer
{
public:
    explicit Server(TlsTerminatingRelay *relay) : m_relay(relay) {}

protected:
    void incomingConnection(qintptr descriptor) override { m_relay->onIncoming(descriptor); }

private:
    TlsTerminatingRelay *m_relay;
};

bool TlsTerminatingRelay::listen(quint16 target_port)
{
    m_target = target_port;
    m_server = new Server(this);
    m_server->setParent(this);
    return m_server->listen(QHostAddress::LocalHost, 0);
}

void TlsTerminatingRelay::onIncoming(qintptr descriptor)
{
    auto *in = new QSslSocket(this);
    in->setSocketDescriptor(descriptor);
    in->setSslConfiguration(m_identity.configuration(true));
    auto *out = new QSslSocket(in);
    out->setSslConfiguration(m_identity.configuration(false));
    for (QSslSocket *s : {in, out}) {
        connect(s, QOverload<const QList<QSslError> &>::of(&QSslSocket::sslErrors), s,
                [s] { s->ignoreSslErrors(); });
        connect(s, &QSslSocket::encrypted, this, [this] { ++m_encrypted; });
    }
    Pipe(in, out, m_toServer);
    Pipe(out, in, m_toClient);
    in->startServerEncryption();
    out->connectToHostEncrypted(QStringLiteral("127.0.0.1"), m_target);
}

QStringList TextMessagesOf(const QByteArray &stream)
{
    QStringList texts;
    const int head_end = stream.indexOf("\r\n\r\n");
    if (head_end < 0)
        return texts;
    QByteArray rest = stream.mid(head_end + 4);
    WebSocketFrame frame;
    WebSocketReassembler reassembler;
    WebSocketMessage message;
    while (TakeFrame(rest, frame)) {
        if (reassembler.add(frame, message) && message.is_text)
            texts.append(QString::fromUtf8(message.data));
    }
    return texts;
}
