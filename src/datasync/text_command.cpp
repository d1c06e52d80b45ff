#include "datasync/text_command.h"

#include <QStringList>

namespace TextCommand {

namespace {
const QString kRequest = QStringLiteral("??");
const QString kPwd = QStringLiteral("tag_pwd#");
const QString kPwdNonce = QStringLiteral("tag_pwd_nonce#");
const QString kPwdProof = QStringLiteral("tag_pwd_proof#");
const QString kOs = QStringLiteral("tag_os#");
const QString kHost = QStringLiteral("tag_host#");
const QString kConnectionErr = QStringLiteral("tag_connection_err#");
const QString kFile = QStringLiteral("tag_normal_file#");
const QString kFileOk = QStringLiteral("tag_normal_file_ok#");
const QString kFileError = QStringLiteral("tag_normal_file_error#");
const QString kImgMarker = QStringLiteral("/_*tag_file_img*/_");
const QString kSaveSeparator = QStringLiteral("**##!!");
const QString kHistory = QStringLiteral("history");
const QString kOk = QStringLiteral("ok");
const QString kErr = QStringLiteral("err");
const QString kNotFound = QStringLiteral("not_found");
const QString kIsDir = QStringLiteral("is_dir");
const QString kUnknown = QStringLiteral("unknown");

QString Req(const QString &tag)
{
    return QStringLiteral("??") + tag;
}

QString Rep(const QString &tag)
{
    return QStringLiteral("!!") + tag;
}

Parsed Make(Kind kind, const QString &text = QString())
{
    Parsed p;
    p.kind = kind;
    p.text = text;
    return p;
}

Parsed ParseFileRequest(const QString &payload)
{
    if (payload == kHistory)
        return Make(Kind::History);
    if (payload.startsWith(kImgMarker))
        return Make(Kind::Image, payload.mid(kImgMarker.size()));
    const QStringList parts = payload.split(kSaveSeparator, Qt::KeepEmptyParts);
    Parsed p = Make(Kind::File, parts.first());
    if (parts.size() > 1)
        p.save_path = parts.at(1);
    return p;
}

Parsed ParseRequest(const QString &msg)
{
    if (msg.startsWith(Req(kPwd)))
        return Make(Kind::Password, msg.mid(Req(kPwd).size()));
    if (msg.startsWith(Req(kPwdNonce)))
        return Make(Kind::PasswordNonce, msg.mid(Req(kPwdNonce).size()));
    if (msg.startsWith(Req(kPwdProof)))
        return Make(Kind::PasswordProof, msg.mid(Req(kPwdProof).size()));
    if (msg == Req(kOs))
        return Make(Kind::Os);
    if (msg == Req(kHost))
        return Make(Kind::Host);
    if (msg == Req(kConnectionErr))
        return Make(Kind::ConnectionRefused);
    if (msg.startsWith(Req(kFile)))
        return ParseFileRequest(msg.mid(Req(kFile).size()));
    return Make(Kind::UnknownRequest);
}

Parsed ParseReply(const QString &msg)
{
    if (msg == Rep(kOs) + QLatin1Char('m') || msg == Rep(kOs) + QLatin1Char('w'))
        return Make(Kind::OsReply, msg.right(1));
    if (msg.startsWith(Rep(kHost)))
        return Make(Kind::HostReply, msg.mid(Rep(kHost).size()));
    if (msg.startsWith(Rep(kFileOk)))
        return Make(Kind::FileOk, msg.mid(Rep(kFileOk).size()));
    if (msg.startsWith(Rep(kPwd) + kOk) || msg.startsWith(Rep(kPwd) + kErr)) {
        Parsed p = Make(Kind::PasswordReply);
        p.passed = msg.startsWith(Rep(kPwd) + kOk);
        return p;
    }
    const struct
    {
        const QString &code;
        FileErrorReason reason;
    } reasons[] = {{kNotFound, FileErrorReason::NotFound},
                   {kIsDir, FileErrorReason::IsDir},
                   {kUnknown, FileErrorReason::Unknown}};
    for (const auto &r : reasons) {
        const QString head = Rep(kFileError) + r.code;
        if (msg.startsWith(head)) {
            Parsed p = Make(Kind::FileError, msg.mid(head.size()));
            p.reason = r.reason;
            return p;
        }
    }
    return Make(Kind::UnknownReply);
}
} // namespace

Parsed Parse(const QString &msg)
{
    if (msg.startsWith(kRequest))
        return ParseRequest(msg);
    if (msg.startsWith(QLatin1String("!!")))
        return ParseReply(msg);
    return Make(Kind::Unknown);
}

QString PasswordRequest(const QString &pwd)
{
    return Req(kPwd) + pwd;
}

QString PasswordReply(bool passed)
{
    return Rep(kPwd) + (passed ? kOk : kErr);
}

QString PasswordNonce(const QByteArray &nonce)
{
    return Req(kPwdNonce) + QString::fromLatin1(nonce.toHex());
}

QString PasswordProof(const QByteArray &proof)
{
    return Req(kPwdProof) + QString::fromLatin1(proof.toHex());
}

QString OsRequest()
{
    return Req(kOs);
}

QString OsReply()
{
    return Rep(kOs) + QLatin1Char('w');
}

QString HostRequest()
{
    return Req(kHost);
}

QString HostReply(const QString &name)
{
    return Rep(kHost) + name;
}

QString ConnectionRefused()
{
    return Req(kConnectionErr);
}

QString HistoryRequest()
{
    return Req(kFile) + kHistory;
}

QString ImageRequest(const QString &md5)
{
    return Req(kFile) + kImgMarker + md5;
}

QString FileRequest(const QString &path, const QString &save_path)
{
    return Req(kFile) + path + kSaveSeparator + save_path;
}

QString FileError(FileErrorReason reason, const QString &path)
{
    const QString &code = reason == FileErrorReason::NotFound ? kNotFound
                          : reason == FileErrorReason::IsDir  ? kIsDir
                                                              : kUnknown;
    return Rep(kFileError) + code + path;
}

QString OsName(const QString &code)
{
    if (code == QLatin1String("w"))
        return QStringLiteral("windows");
    if (code == QLatin1String("m"))
        return QStringLiteral("osx");
    return QString();
}

QString HistoryName()
{
    return kHistory;
}

} // namespace TextCommand
