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

signals:
    void textReceived(const QString &msg);
    void binaryReceived(const QByteArray &msg);
    void disconnected();
    void errorOccurred(const QString &why);
};
