#include "datasync/tls_sniffing_server.h"

#include "datasync/datasync_logging.h"

#include <QPointer>
#include <QSslSocket>
#include <QTimer>

CTlsSniffingServer::CTlsSniffingServer(QObject *parent) : QTcpServer(parent) {}

void CTlsSniffingServer::incomingConnection(qintptr descriptor)
{
    auto *socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    if (m_waiting.size() >= kMaxWaiting) {
        qCDebug(lcDataSync) << "too many connections waiting; dropping" << socket->peerAddress();
        socket->abort();
        socket->deleteLater();
        return;
    }
    // The handshakes are ping-pong of small records: waiting to fill a packet only delays them.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_waiting.insert(socket);
    connect(socket, &QIODevice::readyRead, this, [this, socket] { onFirstBytes(socket); });
    connect(socket, &QAbstractSocket::disconnected, this, [this, socket] { drop(socket); });
    QPointer<QSslSocket> guard(socket);
    QTimer::singleShot(m_waitTimeoutMs, this, [this, guard] {
        if (guard && m_waiting.contains(guard.data())) {
            qCDebug(lcDataSync) << "nothing usable in time from" << guard->peerAddress();
            drop(guard.data());
        }
    });
}

void CTlsSniffingServer::drop(QSslSocket *socket)
{
    if (!m_waiting.remove(socket))
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void CTlsSniffingServer::onFirstBytes(QSslSocket *socket)
{
    if (socket->mode() != QSslSocket::UnencryptedMode)
        return; // handshake bytes; the TLS layer reads them
    char first = 0;
    if (socket->peek(&first, 1) != 1)
        return;
    if (first != kTlsHandshakeRecord) {
        m_waiting.remove(socket);
        socket->disconnect(this);
        emit sigPlainConnection(socket);
        return;
    }
    if (m_identity.isNull()) {
        drop(socket);
        return;
    }
    socket->setSslConfiguration(m_identity.configuration(true));
    connect(socket, &QSslSocket::encrypted, this, [this, socket] { onEncrypted(socket); });
    // The client's certificate is self-signed: it is checked against its pin once the
    // password proof tells who the client is.
    connect(socket, QOverload<const QList<QSslError> &>::of(&QSslSocket::sslErrors), socket,
            [socket] { socket->ignoreSslErrors(); });
    connect(socket, &QAbstractSocket::errorOccurred, this, [this, socket] { drop(socket); });
    socket->startServerEncryption();
}

void CTlsSniffingServer::onEncrypted(QSslSocket *socket)
{
    const QByteArray fingerprint = LinkIdentity::Fingerprint(socket->peerCertificate());
    m_waiting.remove(socket);
    socket->disconnect(this);
    if (fingerprint.isEmpty()) {
        // Mutual TLS: a client without a certificate has nothing to be pinned by.
        qCDebug(lcDataSync) << "TLS client without a certificate from" << socket->peerAddress();
        socket->abort();
        socket->deleteLater();
        return;
    }
    emit sigEncryptedConnection(socket, fingerprint);
}
