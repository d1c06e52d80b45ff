#include "datasync/tcp_file_sender.h"

#include "datasync/datasync_logging.h"

#include <QCoreApplication>

CTcpFileSender::CTcpFileSender(const QString &path, const QString &ip, QObject *parent)
    : QSslSocket(parent), m_file(std::make_shared<QFile>(path)), m_path(path), m_ip(ip)
{
    m_opened = m_file->open(QIODevice::ReadOnly);
    if (m_opened)
        m_size = m_file->size();
    setUp();
}

CTcpFileSender::CTcpFileSender(std::shared_ptr<QFile> snapshot, qint64 size, const QString &path,
                               const QString &ip, QObject *parent)
    : QSslSocket(parent), m_file(std::move(snapshot)), m_size(size), m_path(path), m_ip(ip)
{
    m_opened = m_file && m_file->isOpen() && m_file->seek(0);
    if (!m_file)
        m_file = std::make_shared<QFile>(path);
    setUp();
}

QByteArray CTcpFileSender::readChunk()
{
    const QByteArray chunk = m_file->read(qMin(kChunkSize, m_size - m_read));
    m_read += chunk.size();
    return chunk;
}

void CTcpFileSender::setUp()
{
    if (m_opened)
        m_chunk = readChunk();
    else
        qCDebug(lcDataSync) << "client send file error!" << m_file->errorString();
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleTimeoutMs);
    m_idle.start();
    connect(&m_idle, &QTimer::timeout, this,
            [this] { fail(QCoreApplication::translate("Connection", "The transfer timed out.")); });
    // Over TLS the file starts once the handshake is through: an empty file ends at once,
    // and ending during the handshake would leave the receiver without its file.
    connect(this, &QTcpSocket::connected, this, [this] {
        if (mode() == UnencryptedMode)
            onConnected();
    });
    connect(this, &QSslSocket::encrypted, this, &CTcpFileSender::onConnected);
    connect(this, &QTcpSocket::bytesWritten, this, &CTcpFileSender::onBytesWritten);
    connect(this, &QTcpSocket::disconnected, this, &CTcpFileSender::onDisconnected);
    connect(this, &QAbstractSocket::errorOccurred, this, [this](SocketError err) {
        // The receiver closing after the last byte is the normal end, not an error.
        if (!(m_sent && err == RemoteHostClosedError))
            fail(errorString());
    });
}

void CTcpFileSender::setTls(const LinkIdentity &identity, const QByteArray &peer_fingerprint)
{
    m_peerFingerprint = peer_fingerprint;
    setSslConfiguration(identity.configuration(false));
    // The receiver's certificate always comes with errors (no authority signs it); it must
    // be the linked host's, or the handshake fails and no byte of the file leaves.
    connect(this, QOverload<const QList<QSslError> &>::of(&QSslSocket::sslErrors), this,
            [this](const QList<QSslError> &errors) {
                if (LinkIdentity::ReportedFingerprint(errors) == m_peerFingerprint)
                    ignoreSslErrors();
            });
}

CTcpFileSender::~CTcpFileSender()
{
    // The socket's own destructor aborts the connection; its signals must not reach the
    // slots of this already destroyed part.
    QObject::disconnect(this, nullptr, nullptr, nullptr);
}

void CTcpFileSender::onConnected()
{
    emit sigStarted(this);
    if (!m_opened) {
        // Closing at once tells the receiver the transfer came up short.
        fail(m_file->errorString());
        return;
    }
    m_idle.start();
    if (m_chunk.isEmpty()) {
        finishSending(); // an empty file is complete as soon as the receiver is there
        return;
    }
    write(m_chunk);
}

void CTcpFileSender::onBytesWritten(qlonglong bytes)
{
    if (m_failed)
        return;
    m_idle.start();
    m_chunkWritten += bytes;
    m_written += bytes;
    emit sigProgress(m_file->fileName(), m_size > 0 ? int(m_written * 100 / m_size) : 100);
    if (m_chunkWritten < m_chunk.size())
        return;
    if (m_read >= m_size) {
        // Over TLS this signal comes while the last record is still inside the TLS layer,
        // on its way to the socket: closing now would cut it off.
        if (isEncrypted())
            QMetaObject::invokeMethod(this, &CTcpFileSender::finishSending, Qt::QueuedConnection);
        else
            finishSending();
        return;
    }
    writeNextChunk();
}

void CTcpFileSender::writeNextChunk()
{
    m_chunkWritten = 0;
    m_chunk = readChunk();
    if (m_chunk.isEmpty()) {
        // The file shrank since it was announced: the receiver is told by the short end.
        fail(m_file->errorString());
        return;
    }
    write(m_chunk);
}

void CTcpFileSender::finishSending()
{
    if (m_sent || m_failed)
        return;
    m_sent = true;
    m_idle.stop();
    emit sigSent();
    if (isEncrypted()) {
        // The receiver closes once it has every byte; one that never does is left after the
        // idle time.
        QTimer::singleShot(m_idle.interval(), this, [this] { abort(); });
        return;
    }
    disconnectFromHost(); // flushes what is still buffered first
}

void CTcpFileSender::onDisconnected()
{
    if (!m_sent && !m_failed)
        fail(QCoreApplication::translate("Connection", "The receiver closed the connection."));
    close();
    m_file->close();
    deleteLater();
}

void CTcpFileSender::fail(const QString &why)
{
    if (m_failed || m_sent)
        return;
    m_failed = true;
    m_idle.stop();
    qCWarning(lcDataSync) << Q_FUNC_INFO << __LINE__ << m_path << "to" << m_ip << why << "after"
                          << m_written << "of" << m_size << "bytes";
    emit sigError(m_path, m_ip, why);
    abort();
    m_file->close();
    deleteLater();
}
