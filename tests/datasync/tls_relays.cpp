#include "tls_relays.h"

#include "raw_websocket.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTimer>

#include <deque>
#include <memory>

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

bool DelayRelay::listen(quint16 target_port, int delay_ms, const QHostAddress &out_from)
{
    m_target = target_port;
    m_delay = delay_ms;
    m_outFrom = out_from;
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *in = m_server.nextPendingConnection()) {
            in->setParent(this);
            auto *out = new QTcpSocket(in);
            if (!m_outFrom.isNull())
                out->bind(m_outFrom);
            pipe(in, out);
            pipe(out, in);
            out->connectToHost(QHostAddress::LocalHost, m_target);
        }
    });
    return m_server.listen(QHostAddress::LocalHost, 0);
}

// Bytes leave in the order they came, each m_delay after it came; the end of the stream
// too.
void DelayRelay::pipe(QTcpSocket *from, QTcpSocket *to)
{
    struct Queue
    {
        QElapsedTimer clock;
        std::deque<std::pair<qint64, QByteArray>> chunks; // due time, bytes (empty: the end)
        QTimer timer;
    };
    auto queue = std::make_shared<Queue>();
    queue->clock.start();
    queue->timer.setSingleShot(true);
    const auto arm = [queue] {
        if (!queue->chunks.empty() && !queue->timer.isActive())
            queue->timer.start(
                int(qMax<qint64>(0, queue->chunks.front().first - queue->clock.elapsed())));
    };
    QObject::connect(&queue->timer, &QTimer::timeout, to, [this, queue, to, arm] {
        while (!m_frozen && !queue->chunks.empty() &&
               queue->chunks.front().first <= queue->clock.elapsed()) {
            const QByteArray bytes = queue->chunks.front().second;
            queue->chunks.pop_front();
            if (bytes.isEmpty())
                to->disconnectFromHost();
            else
                to->write(bytes);
        }
        if (!m_frozen)
            arm();
    });
    const auto add = [this, queue, arm](const QByteArray &bytes) {
        if (m_frozen)
            return;
        queue->chunks.emplace_back(queue->clock.elapsed() + m_delay, bytes);
        arm();
    };
    QObject::connect(from, &QIODevice::readyRead, to, [from, add] { add(from->readAll()); });
    QObject::connect(from, &QAbstractSocket::disconnected, to, [add] { add(QByteArray()); });
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
