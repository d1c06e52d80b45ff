#include "datasync/tcp_file_reader.h"

#include "datasync/datasync_logging.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QSslSocket>
#include <QTcpSocket>

#include <algorithm>

CTcpFileReader::CTcpFileReader(qint64 size, const QString &path, const QString &ip, QObject *parent)
    : QTcpServer(parent), m_expected(size), m_path(path), m_ip(ip), m_max(MaxStream(size))
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleTimeoutMs);
    connect(&m_idle, &QTimer::timeout, this,
            [this] { fail(QCoreApplication::translate("Connection", "The transfer timed out.")); });
    connect(this, &QTcpServer::newConnection, this, &CTcpFileReader::onNewConnection);
}

qint64 CTcpFileReader::MaxStream(qint64 announced)
{
    return announced + qBound(kMinExtraBytes, announced, kMaxExtraBytes);
}

QString CTcpFileReader::start()
{
    m_file.setFileName(m_path);
    // A folder that takes no temporary file may still take the file itself.
    m_file.setDirectWriteFallback(true);
    if (!m_file.open(QIODevice::WriteOnly))
        return m_file.errorString();
    if (!listen(QHostAddress::AnyIPv4, 0)) {
        m_file.cancelWriting();
        return errorString();
    }
    m_idle.start();
    return QString();
}

void CTcpFileReader::setTls(const LinkIdentity &identity, const QByteArray &peer_fingerprint)
{
    m_identity = identity;
    m_peerFingerprint = peer_fingerprint;
}

// Over TLS a connection counts only once its handshake showed the linked host's
// certificate; until then it takes no data and no place.
void CTcpFileReader::incomingConnection(qintptr descriptor)
{
    if (m_peerFingerprint.isEmpty() || m_identity.isNull()) {
        QTcpServer::incomingConnection(descriptor);
        return;
    }
    auto *socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    socket->setSslConfiguration(m_identity.configuration(true));
    connect(socket, QOverload<const QList<QSslError> &>::of(&QSslSocket::sslErrors), socket,
            [socket] { socket->ignoreSslErrors(); });
    // Only a failed handshake ends the socket here; once it is handed over, its end (the
    // sender's close, reported as an error by TLS) is the transfer's own business.
    connect(socket, &QAbstractSocket::errorOccurred, this, [socket] { socket->deleteLater(); });
    connect(socket, &QSslSocket::encrypted, this, [this, socket] {
        socket->disconnect(this);
        if (LinkIdentity::Fingerprint(socket->peerCertificate()) != m_peerFingerprint) {
            qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "sender's certificate is not"
                                  << "the linked host's; refused for" << m_path;
            socket->abort();
            socket->deleteLater();
            return;
        }
        addPendingConnection(socket);
        emit newConnection();
        // What came with the handshake is already decrypted and waits.
        if (socket->bytesAvailable() > 0)
            onReadyRead();
    });
    socket->startServerEncryption();
}

void CTcpFileReader::stopListening()
{
    close();
    if (!m_client)
        fail(QCoreApplication::translate("Connection", "The linked host disconnected."));
}

namespace {
bool IsThisMachine(const QHostAddress &address)
{
    if (address.isLoopback())
        return true;
    const QList<QHostAddress> own = QNetworkInterface::allAddresses();
    return std::any_of(own.begin(), own.end(), [&address](const QHostAddress &a) {
        return a.isEqual(address, QHostAddress::ConvertV4MappedToIPv4);
    });
}
} // namespace

// Over TLS the certificate already showed the linked host. In clear text the connection
// must come from the linked host: from its address on the link, or, when that host is this
// machine, from any address of this machine (a host linked through one address may well
// send from another).
bool CTcpFileReader::isExpectedPeer(const QTcpSocket *socket) const
{
    if (!m_peerFingerprint.isEmpty())
        return true;
    const QHostAddress from = socket->peerAddress();
    const QHostAddress linked(m_ip);
    if (from.isEqual(linked, QHostAddress::ConvertV4MappedToIPv4))
        return true;
    return IsThisMachine(linked) && IsThisMachine(from);
}

void CTcpFileReader::onNewConnection()
{
    if (!hasPendingConnections()) {
        // Over TLS the server announces each connection before its handshake is done; it
        // is handed over once it is.
        if (m_peerFingerprint.isEmpty())
            qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << errorString();
        return;
    }
    while (QTcpSocket *socket = nextPendingConnection()) {
        if (m_client || m_done || !isExpectedPeer(socket)) {
            qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << "refused a connection from"
                                  << socket->peerAddress().toString() << "for" << m_path;
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_client = socket;
        connect(socket, &QTcpSocket::readyRead, this, &CTcpFileReader::onReadyRead);
        connect(socket, &QTcpSocket::disconnected, this, &CTcpFileReader::onClientDisconnected);
        m_idle.start();
    }
    // One connection carries the file; nobody else may connect afterwards.
    if (m_client)
        close();
    // An empty file is complete once its sender is there: a sender with nothing to write
    // may never close by itself.
    if (m_client && m_expected == 0 && !m_done) {
        finish();
        m_client->disconnectFromHost();
    }
}

void CTcpFileReader::onReadyRead()
{
    if (m_done || !m_client)
        return;
    const QByteArray data = m_client->readAll();
    if (data.isEmpty())
        return;
    m_received += data.size();
    if (m_received > m_max) {
        fail(QCoreApplication::translate("Connection", "The sender sent more than announced."));
        return;
    }
    if (m_file.write(data) != data.size()) {
        fail(m_file.errorString());
        return;
    }
    m_idle.start();
    const int rate = m_expected > 0 ? int(qMin<qint64>(100, m_received * 100 / m_expected)) : 100;
    emit sigProgress(QFileInfo(m_path).fileName(), m_ip, rate, data.size());
    if (m_received == m_expected)
        endOverTls();
}

// Over TLS the receiver ends the transfer once it has every byte; the sender waits for that.
// When the sender closed first, the end of its stream could overtake the last records still
// inside the TLS layers and cut the file short.
void CTcpFileReader::endOverTls()
{
    if (m_peerFingerprint.isEmpty() || m_done || !m_client)
        return;
    finish();
    m_client->disconnectFromHost();
}

void CTcpFileReader::onClientDisconnected()
{
    onReadyRead(); // whatever arrived with the end of the stream
    if (!m_done)
        finish();
}

void CTcpFileReader::finish()
{
    m_done = true;
    m_idle.stop();
    close();
    if (m_received < m_expected) {
        QString why = errorString();
        if (why.isEmpty())
            why = QStringLiteral("Unknow error");
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << m_path << "received" << m_received
                              << "of" << m_expected << why;
        m_file.cancelWriting();
        emit sigError(m_path, m_ip, why);
    } else if (!m_file.commit()) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << m_path << m_file.errorString();
        emit sigError(m_path, m_ip, m_file.errorString());
    } else {
        if (m_received > m_expected)
            qCDebug(lcDataSync) << "fileReceived" << m_path << "with" << m_received - m_expected
                                << "bytes more than announced";
        else
            qCDebug(lcDataSync) << "fileReceived" << m_path;
        emit sigReceived(m_path, m_ip);
    }
    deleteLater();
}

void CTcpFileReader::fail(const QString &why)
{
    if (m_done)
        return;
    m_done = true;
    m_idle.stop();
    close();
    if (m_client)
        m_client->abort();
    m_file.cancelWriting();
    qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << m_path << "from" << m_ip << why << "after"
                          << m_received << "of" << m_expected << "bytes";
    emit sigError(m_path, m_ip, why);
    deleteLater();
}
