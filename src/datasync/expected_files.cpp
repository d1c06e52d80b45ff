#include "datasync/expected_files.h"

#include "datasync/host_container.h"
#include "datasync/text_command.h"
#include "datasync/transfer_messages.h"

namespace ExpectedFiles {

namespace {
// The announcement names the owner's absolute path, which may be written differently from
// the request (another separator, a cleaned form); its file name is what lands here.
QString ImageName(const QString &md5)
{
    return md5 + QStringLiteral(".png");
}
} // namespace

void NoteRequest(LinkSession &session, const TextCommand::Parsed &request)
{
    QString name;
    switch (request.kind) {
    case TextCommand::Kind::History:
        session.history_asked = qMin(session.history_asked + 1, kMaxHistoryAsked);
        return;
    case TextCommand::Kind::Image:
        name = ImageName(request.text);
        break;
    case TextCommand::Kind::File:
        name = TransferMessage::ReceivedFileName(request.text);
        break;
    default:
        return;
    }
    if (name.isEmpty())
        return;
    session.asked.append(name);
    while (session.asked.size() > kMaxAskedPerLink)
        session.asked.removeFirst();
}

void NoteRefusal(LinkSession &session, const QString &failed_path)
{
    if (failed_path == TextCommand::HistoryName())
        session.history_asked = qMax(session.history_asked - 1, 0);
    else
        session.asked.removeOne(TransferMessage::ReceivedFileName(failed_path));
}

Kind Take(LinkSession &session, const QString &announced_path)
{
    const QString name = TransferMessage::ReceivedFileName(announced_path);
    if (name.isEmpty())
        return Kind::Unasked;
    if (session.asked.removeOne(name))
        return Kind::Requested;
    if (name != TextCommand::HistoryName())
        return Kind::Unasked;
    if (session.history_asked > 0) {
        --session.history_asked;
        return Kind::History;
    }
    return session.history_sent ? Kind::History : Kind::Unasked;
}

} // namespace ExpectedFiles
