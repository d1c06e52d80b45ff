#pragma once

#include <QString>

// The text commands between linked hosts: one WebSocket text message each, made of a prefix
// ("??" request, "!!" reply), a tag, "#" and a payload that runs to the end. Parsing and
// formatting only, no I/O, so any string from the network can be classified safely.
namespace TextCommand {

enum class Kind
{
    // Requests.
    Password, // "??tag_pwd#" + password
              // Encrypted links only: the password is proved, never sent.
    PasswordNonce,     // "??tag_pwd_nonce#" + hex nonce, from the server
    PasswordProof,     // "??tag_pwd_proof#" + hex HMAC, from the client
    Os,                // "??tag_os#"
    Host,              // "??tag_host#"
    ConnectionRefused, // "??tag_connection_err#": the server is full
    History,           // "??tag_normal_file#history"
    Image,             // "??tag_normal_file#/_*tag_file_img*/_" + md5
    File,              // "??tag_normal_file#" + path + "**##!!" + save path
    UnknownRequest,
    // Replies.
    OsReply,       // "!!tag_os#w" or "!!tag_os#m"
    HostReply,     // "!!tag_host#" + machine name
    FileOk,        // "!!tag_normal_file_ok#..."
    PasswordReply, // "!!tag_pwd#ok..." or "!!tag_pwd#err..."
    FileError,     // "!!tag_normal_file_error#" + reason + path
    UnknownReply,
    // Neither prefix.
    Unknown
};

enum class FileErrorReason
{
    NotFound,
    IsDir,
    Unknown
};

struct Parsed
{
    Kind kind = Kind::Unknown;
    // Password, OS code ("w"/"m"), host name, md5, requested path or failed path.
    QString text;
    QString save_path;   // File: the requester's save path, empty when none was given
    bool passed = false; // PasswordReply
    FileErrorReason reason = FileErrorReason::Unknown;
};

Parsed Parse(const QString &msg);

QString PasswordRequest(const QString &pwd);
QString PasswordReply(bool passed);
QString PasswordNonce(const QByteArray &nonce);
QString PasswordProof(const QByteArray &proof);
QString OsRequest();
QString OsReply(); // this program answers "w" on every platform: peers know only "w" and "m"
QString HostRequest();
QString HostReply(const QString &name);
QString ConnectionRefused();
QString HistoryRequest();
QString ImageRequest(const QString &md5);
QString FileRequest(const QString &path, const QString &save_path);
QString FileError(FileErrorReason reason, const QString &path);

// "windows" for "w", "osx" for "m", empty for anything else.
QString OsName(const QString &code);

// The name of the history file, also the payload of a history request.
QString HistoryName();

} // namespace TextCommand
