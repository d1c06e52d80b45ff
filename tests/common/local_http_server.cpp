#include "local_http_server.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

LocalHttpServer::LocalHttpServer(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
        }
    });
}

bool LocalHttpServer::start()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QString LocalHttpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
}

void LocalHttpServer::serve(const QString &path, const QByteArray &body, int status, Mode mode)
{
    m_responses.insert(path, {body, status, mode});
}

void LocalHttpServer::answer(QTcpSocket *socket)
{
    // The request line and headers arrive together on loopback; wait for their end.
    if (!socket->peek(64 * 1024).contains("\r\n\r\n"))
        return;
    const QByteArray head = socket->readAll();
    const QList<QByteArray> request_line = head.left(head.indexOf("\r\n")).split(' ');
    const QString path =
        request_line.size() > 1 ? QString::fromLatin1(request_line.at(1)) : QString();
    m_requests << path;

    const auto found = m_responses.constFind(path);
    const Response response =
        found != m_responses.constEnd() ? *found : Response{"not here", 404, Mode::Normal};
    if (response.mode == Mode::NeverAnswers) {
        m_silent << socket;
        return;
    }
    if (response.mode == Mode::Late) {
        QPointer<QTcpSocket> later(socket);
        QTimer::singleShot(1500, this, [=] {
            if (later)
                reply(later, response);
        });
        return;
    }
    reply(socket, response);
}

void LocalHttpServer::reply(QTcpSocket *socket, const Response &response)
{
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(response.status) + " X\r\n";
    if (response.mode != Mode::NoLength)
        reply += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    reply += "Connection: close\r\n\r\n";
    socket->write(reply);
    socket->write(response.body);
    socket->disconnectFromHost();
}
