#pragma once

#include <QByteArray>
#include <QString>

// The binary negotiation that precedes a file transfer: each binary WebSocket message is one
// serialized Message of messages.proto. Conversion only, no I/O; every field read from the
// network is checked by the caller before it is acted on.
namespace TransferMessage {

// The owner offers a file: its path on the owner and its size in bytes.
struct Announcement
{
    QString path;
    qint64 size = 0;
};

// The receiver is ready: the TCP port it listens on for the file of that path.
struct Acceptance
{
    bool accept = false;
    int port = 0;
    QString path;
};

enum class Kind
{
    Unparsable,
    Other, // a text body or no body at all: accepted and ignored
    Announcement,
    Acceptance
};

struct Decoded
{
    Kind kind = Kind::Unparsable;
    Announcement announcement;
    Acceptance acceptance;
};

Decoded Decode(const QByteArray &bytes);
QByteArray EncodeAnnouncement(const QString &path, qint64 size);
QByteArray EncodeAcceptance(int port, const QString &path);

// The name a received file is stored under: the last part of the announced path. Empty for
// a name that must not be used ("", ".", "..", or one with a NUL), so a peer can never
// place a file outside the folder it is received into.
QString ReceivedFileName(const QString &announced_path);

// A port a receiver can listen on.
bool IsValidPort(int port);

} // namespace TransferMessage
