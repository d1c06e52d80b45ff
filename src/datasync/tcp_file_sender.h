#pragma once

#include "datasync/link_identity.h"

#include <QFile>
#include <QPointer>
#include <QSslSocket>
#include <QTimer>

#include <memory>

// Sends one file over TCP (or TLS, between hosts linked encrypted) to the port a receiver
// announced, in chunks of 1 MiB so that only one chunk is held in memory (and at most one
// waits in the socket), and disconnects after the last byte. A receiver that cannot be
// reached, or stops taking data, ends the transfer with sigError.
class CTcpFileSender : public QSslSocket
{
    Q_OBJECT
public:
    static constexpr qint64 kChunkSize = 1024 * 1024;
    static constexpr int kIdleTimeoutMs = 30000;

    CTcpFileSender(const QString &path, const QString &ip, QObject *parent = nullptr);
    // Sends exactly size bytes of a file opened when it was announced: the receiver was
    // told that size, and a file replaced or grown since is still sent as it was then.
    CTcpFileSender(std::shared_ptr<QFile> snapshot, qint64 size, const QString &path,
                   const QString &ip, QObject *parent = nullptr);
    ~CTcpFileSender() override;

    QString path() const { return m_path; }
    // Neither sent nor failed yet.
    bool isRunning() const { return !m_sent && !m_failed; }
    QString ip() const { return m_ip; }
    // The link the file was asked on, for the caller's bookkeeping.
    void setOrigin(QObject *origin) { m_origin = origin; }
    QObject *origin() const { return m_origin; }
    // Sends over TLS, to the host with that certificate only (start with
    // connectToHostEncrypted).
    void setTls(const LinkIdentity &identity, const QByteArray &peer_fingerprint);
    // How long connecting, or any wait for the receiver to take data, may last.
    void setIdleTimeout(int ms) { m_idle.setInterval(ms); }

signals:
    void sigProgress(QString path, int rate);
    void sigSent();
    void sigStarted(CTcpFileSender *fs);
    void sigError(QString path, QString ip, QString why);

private slots:
    void onBytesWritten(qlonglong bytes);

private:
    void setUp();
    QByteArray readChunk();
    void onConnected();
    void onDisconnected();
    void writeNextChunk();
    void finishSending();
    void fail(const QString &why);

    std::shared_ptr<QFile> m_file;
    QByteArray m_chunk;
    qint64 m_read = 0; // bytes taken from the file so far
    qint64 m_chunkWritten = 0;
    qint64 m_written = 0;
    qint64 m_size = 0;
    QString m_path;
    QString m_ip;
    QPointer<QObject> m_origin;
    QTimer m_idle;
    QByteArray m_peerFingerprint;
    bool m_opened = false;
    bool m_sent = false;
    bool m_failed = false;
};
