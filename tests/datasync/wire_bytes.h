#pragma once

#include <QByteArray>
#include <QString>

// The binary negotiation messages encoded by hand from the field table (proto3 wire format:
// varints and length-delimited fields), so the tests check the program's messages against
// the format itself rather than against the program's own generated code.
namespace WireBytes {

// Message{file_request = 2: {file_path = 1, file_size = 2}}
QByteArray FileRequest(const QString &path, qint64 size);
// Message{file_response = 3: {accept = 1, listen_port = 2, file_path = 3}}
QByteArray FileResponse(bool accept, qint64 port, const QString &path);
// Message{str_msg = 1}
QByteArray StrMsg(const QString &text);

struct Decoded
{
    int body = 0; // field number of the body: 1, 2 or 3; 0 when unreadable
    QString path;
    qint64 size = 0;
    bool accept = false;
    qint64 port = 0;
};
Decoded Decode(const QByteArray &bytes);

} // namespace WireBytes
