#include "datasync/transfer_messages.h"

#include "datasync/datasync_logging.h"
#include "datasync/protobuf/messages.pb.h"

#include <google/protobuf/stubs/logging.h>

#include <mutex>
#include <string>

namespace TransferMessage {

namespace {
QString FromUtf8(const std::string &s)
{
    return QString::fromUtf8(s.data(), int(s.size()));
}

std::string ToUtf8(const QString &s)
{
    const QByteArray bytes = s.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

// The library writes every malformed message it meets to stderr; a linked host could fill
// the terminal that way. Its lines go to this subsystem's debug log instead.
void RouteLibraryLog(google::protobuf::LogLevel level, const char *file, int line,
                     const std::string &message)
{
    qCDebug(lcDataSync) << "protobuf" << int(level) << file << line << message.c_str();
}

void RouteLibraryLogOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { google::protobuf::SetLogHandler(&RouteLibraryLog); });
}

QByteArray Serialized(const Message &msg)
{
    QByteArray out(int(msg.ByteSizeLong()), Qt::Uninitialized);
    msg.SerializeToArray(out.data(), out.size());
    return out;
}
} // namespace

Decoded Decode(const QByteArray &bytes)
{
    RouteLibraryLogOnce();
    Decoded d;
    Message msg;
    if (!msg.ParseFromArray(bytes.constData(), bytes.size()))
        return d;
    switch (msg.body_case()) {
    case Message::kFileRequest:
        d.kind = Kind::Announcement;
        d.announcement.path = FromUtf8(msg.file_request().file_path());
        d.announcement.size = msg.file_request().file_size();
        break;
    case Message::kFileResponse:
        d.kind = Kind::Acceptance;
        d.acceptance.accept = msg.file_response().accept();
        d.acceptance.port = msg.file_response().listen_port();
        d.acceptance.path = FromUtf8(msg.file_response().file_path());
        break;
    default:
        d.kind = Kind::Other;
        break;
    }
    return d;
}

QByteArray EncodeAnnouncement(const QString &path, qint64 size)
{
    Message msg;
    FileTransferRequest *req = msg.mutable_file_request();
    req->set_file_path(ToUtf8(path));
    req->set_file_size(size);
    return Serialized(msg);
}

QByteArray EncodeAcceptance(int port, const QString &path)
{
    Message msg;
    FileTransferResponse *res = msg.mutable_file_response();
    res->set_accept(true);
    res->set_listen_port(port);
    res->set_file_path(ToUtf8(path));
    return Serialized(msg);
}

QString ReceivedFileName(const QString &announced_path)
{
    // Peers on other systems may write either separator.
    const int cut = qMax(announced_path.lastIndexOf(QLatin1Char('/')),
                         announced_path.lastIndexOf(QLatin1Char('\\')));
    const QString name = announced_path.mid(cut + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QChar(0)))
        return QString();
    return name;
}

bool IsValidPort(int port)
{
    return port > 0 && port <= 65535;
}

} // namespace TransferMessage
