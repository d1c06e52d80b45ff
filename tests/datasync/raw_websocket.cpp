#include "raw_websocket.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QtTest>

#include <functional>

#include <sys/socket.h>

namespace {
const QByteArray kGuid = QByteArrayLiteral("258EAFA5-E914-47DA-95CA-C5AB0DC85B11");

QByteArray AcceptKey(const QByteArray &key)
{
    return QCryptographicHash::hash(key + kGuid, QCryptographicHash::Sha1).toBase64();
}

QByteArray HeaderValue(const QByteArray &head, const QByteArray &name)
{
    for (const QByteArray &line : head.split('\n')) {
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return QByteArray();
}
} // namespace

bool RawWebSocket::waitFor(const std::function<bool()> &done, int timeout_ms)
{
    return QTest::qWaitFor(done, timeout_ms);
}

bool RawWebSocket::readHead(QByteArray &head, int timeout_ms)
{
    const bool ended = waitFor(
        [&] {
            m_buffer += m_socket->readAll();
            return m_buffer.contains("\r\n\r\n") ||
                   m_socket->state() != QAbstractSocket::ConnectedState;
        },
        timeout_ms);
    const int end = m_buffer.indexOf("\r\n\r\n");
    if (!ended || end < 0)
        return false;
    head = m_buffer.left(end);
    m_buffer.remove(0, end + 4);
    return true;
}

void RawWebSocket::startFrames()
{
    connect(m_socket, &QTcpSocket::readyRead, this, &RawWebSocket::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] { m_closed = true; });
    while (parseFrame()) {
    }
}

bool RawWebSocket::connectTo(quint16 port, const QHostAddress &bind_address, int timeout_ms)
{
    m_socket = new QTcpSocket(this);
    m_isClient = true;
    if (!bind_address.isNull() && !m_socket->bind(bind_address))
        return false;
    m_socket->connectToHost(QHostAddress::LocalHost, port);
    if (!waitFor(
            [this] {
                return m_socket->state() == QAbstractSocket::ConnectedState ||
                       m_socket->state() == QAbstractSocket::UnconnectedState;
            },
            timeout_ms) ||
        m_socket->state() != QAbstractSocket::ConnectedState)
        return false;

    QByteArray nonce(16, Qt::Uninitialized);
    for (char &c : nonce)
        c = char(QRandomGenerator::global()->bounded(256));
    const QByteArray key = nonce.toBase64();
    m_socket->write("GET / HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                    "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: " + key +
                    "\r\nSec-WebSocket-Version: 13\r\n\r\n");
    QByteArray head;
    if (!readHead(head, timeout_ms) || !head.startsWith("HTTP/1.1 101") ||
        HeaderValue(head, "Sec-WebSocket-Accept") != AcceptKey(key))
        return false;
    startFrames();
    return true;
}

bool RawWebSocket::acceptFrom(QTcpSocket *socket, int timeout_ms)
{
    m_socket = socket;
    socket->setParent(this);
    m_isClient = false;
    QByteArray head;
    if (!readHead(head, timeout_ms))
        return false;
    const QByteArray key = HeaderValue(head, "Sec-WebSocket-Key");
    if (key.isEmpty())
        return false;
    m_socket->write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\n"
                    "Connection: Upgrade\r\nSec-WebSocket-Accept: " +
                    AcceptKey(key) + "\r\n\r\n");
    startFrames();
    return true;
}

void RawWebSocket::sendText(const QString &text)
{
    sendFrame(0x1, text.toUtf8());
}

void RawWebSocket::sendBinary(const QByteArray &data)
{
    sendFrame(0x2, data);
}

void RawWebSocket::sendFrame(int opcode, const QByteArray &payload, bool fin)
{
    QByteArray frame;
    frame.append(char((fin ? 0x80 : 0) | (opcode & 0x0f)));
    const char mask_bit = m_isClient ? char(0x80) : char(0);
    const quint64 len = quint64(payload.size());
    if (len < 126) {
        frame.append(char(mask_bit | char(len)));
    } else if (len <= 0xffff) {
        frame.append(char(mask_bit | 126));
        frame.append(char(len >> 8)).append(char(len & 0xff));
    } else {
        frame.append(char(mask_bit | 127));
        for (int shift = 56; shift >= 0; shift -= 8)
            frame.append(char((len >> shift) & 0xff));
    }
    QByteArray body = payload;
    if (m_isClient) {
        const quint32 mask = QRandomGenerator::global()->generate();
        const char key[4] = {char(mask >> 24), char(mask >> 16), char(mask >> 8), char(mask)};
        frame.append(key, 4);
        for (int i = 0; i < body.size(); ++i)
            body[i] = char(body[i] ^ key[i % 4]);
    }
    frame.append(body);
    m_socket->write(frame);
}

void RawWebSocket::stopReading()
{
    disconnect(m_socket, &QTcpSocket::readyRead, this, &RawWebSocket::onReadyRead);
    m_socket->setReadBufferSize(1);
}

void RawWebSocket::resumeReading()
{
    m_socket->setReadBufferSize(0);
    connect(m_socket, &QTcpSocket::readyRead, this, &RawWebSocket::onReadyRead);
    onReadyRead();
}

void RawWebSocket::reset()
{
    const linger hard{1, 0};
    ::setsockopt(int(m_socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    m_socket->abort();
}

void RawWebSocket::onReadyRead()
{
    m_buffer += m_socket->readAll();
    while (parseFrame()) {
    }
}

bool TakeFrame(QByteArray &buffer, WebSocketFrame &out)
{
    if (buffer.size() < 2)
        return false;
    const auto *b = reinterpret_cast<const uchar *>(buffer.constData());
    out.fin = b[0] & 0x80;
    out.opcode = b[0] & 0x0f;
    const bool masked = b[1] & 0x80;
    quint64 len = b[1] & 0x7f;
    int pos = 2;
    if (len == 126) {
        if (buffer.size() < 4)
            return false;
        len = (quint64(b[2]) << 8) | b[3];
        pos = 4;
    } else if (len == 127) {
        if (buffer.size() < 10)
            return false;
        len = 0;
        for (int i = 0; i < 8; ++i)
            len = (len << 8) | b[2 + i];
        pos = 10;
    }
    char key[4] = {0, 0, 0, 0};
    if (masked) {
        if (buffer.size() < pos + 4)
            return false;
        memcpy(key, buffer.constData() + pos, 4);
        pos += 4;
    }
    if (quint64(buffer.size() - pos) < len)
        return false;
    out.payload = buffer.mid(pos, int(len));
    buffer.remove(0, pos + int(len));
    if (masked) {
        for (int i = 0; i < out.payload.size(); ++i)
            out.payload[i] = char(out.payload[i] ^ key[i % 4]);
    }
    return true;
}

bool WebSocketReassembler::add(const WebSocketFrame &frame, Message &out)
{
    if (frame.opcode > 0x2)
        return false;
    if (frame.opcode != 0x0) {
        m_partial.clear();
        m_isText = frame.opcode == 0x1;
    }
    m_partial += frame.payload;
    if (!frame.fin)
        return false;
    out = {m_isText, std::exchange(m_partial, QByteArray())};
    return true;
}

bool RawWebSocket::parseFrame()
{
    WebSocketFrame frame;
    if (!TakeFrame(m_buffer, frame))
        return false;
    Message message;
    if (m_reassembler.add(frame, message))
        m_messages.append(message);
    if (frame.opcode == 0x8) {
        const QByteArray &p = frame.payload;
        m_closeCode = p.size() >= 2 ? (int(uchar(p[0])) << 8) | int(uchar(p[1])) : 1005;
        m_closed = true;
    } else if (frame.opcode == 0x9) {
        sendFrame(0xA, frame.payload);
    }
    return true;
}

bool RawWebSocket::waitForMessage(Message &out, int timeout_ms)
{
    waitFor([this] { return !m_messages.isEmpty() || m_closed; }, timeout_ms);
    if (m_messages.isEmpty())
        return false;
    out = m_messages.takeFirst();
    return true;
}

bool RawWebSocket::waitForText(QString &out, int timeout_ms)
{
    Message m;
    if (!waitForMessage(m, timeout_ms) || !m.is_text)
        return false;
    out = QString::fromUtf8(m.data);
    return true;
}

bool RawWebSocket::waitForBinary(QByteArray &out, int timeout_ms)
{
    Message m;
    if (!waitForMessage(m, timeout_ms) || m.is_text)
        return false;
    out = m.data;
    return true;
}

QList<RawWebSocket::Message> RawWebSocket::drain(int timeout_ms)
{
    QTest::qWait(timeout_ms);
    return std::exchange(m_messages, {});
}

bool RawWebSocket::waitForClosed(int timeout_ms)
{
    return waitFor([this] { return m_closed; }, timeout_ms);
}

bool RawWebSocketServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

RawWebSocket *RawWebSocketServer::accept(int timeout_ms)
{
    if (!QTest::qWaitFor([this] { return m_server.hasPendingConnections(); }, timeout_ms))
        return nullptr;
    auto *peer = new RawWebSocket;
    peer->setParent(this);
    if (!peer->acceptFrom(m_server.nextPendingConnection(), timeout_ms))
        return nullptr;
    return peer;
}
