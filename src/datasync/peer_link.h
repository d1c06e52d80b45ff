#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

// One connection to a linked host as the command protocol sees it: whole text and binary
// messages out and in. The program's links are WebSocket connections; tests put an
// in-process pair in their place.
class CPeerLink : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The host's address in QHostAddress text form, fixed when the link is made.
    virtual QString peerAddress() const = 0;
    // The address this host has on the link (file senders leave from it).
    virtual QHostAddress localAddress() const = 0;
    virtual void sendText(const QString &msg) = 0;
    virtual void sendBinary(const QByteArray &msg) = 0;
    // Normal closure (code 1000, empty reason); disconnected() follows.
    virtual void close() = 0;
    // Drops the connection without the closing handshake, on a later turn of the event
    // loop (callers may still be handling one of its messages); disconnected() follows.
    virtual void abort() { close(); }
    // Bytes sent on the link that the network has not taken yet. A peer that does not read
    // is answered no more once this passes kSoftQueueBytes.
    virtual qint64 queuedBytes() const { return 0; }
    bool isCongested() const { return queuedBytes() > kSoftQueueBytes; }

    static constexpr qint64 kSoftQueueBytes = 1024 * 1024;
    // Past this the link is aborted: the peer has stopped reading.
    static constexpr qint64 kHardQueueBytes = 4 * 1024 * 1024;

signals:
    void textReceived(const QString &msg);
    void binaryReceived(const QByteArray &msg);
    void disconnected();
    void errorOccurred(const QString &why);
};
