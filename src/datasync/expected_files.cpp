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

quint64 NoteRequest(LinkSession &session, const TextCommand::Parsed &request)
{
    static quint64 last_id = 0;
    QString name;
    switch (request.kind) {
    case TextCommand::Kind::History:
        session.history_asked = qMin(session.history_asked + 1, kMaxHistoryAsked);
        return 0;
    case TextCommand::Kind::Image:
        name = ImageName(request.text);
        break;
    case TextCommand::Kind::File:
        name = TransferMessage::ReceivedFileName(request.text);
        break;
    default:
        return 0;
    }
    if (name.isEmpty())
        return 0;
    session.asked.append(AskedFile{name, ++last_id});
    while (session.asked.size() > kMaxAskedPerLink)
        session.asked.removeFirst();
    return last_id;
}

namespace {
// The oldest request that brings a file of that name; a host on a file system that ignores
// case may announce the name in another case.
bool TakeName(LinkSession &session, const QString &name)
{
    for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (int i = 0; i < session.asked.size(); ++i) {
            if (session.asked.at(i).name.compare(name, cs) == 0) {
                session.asked.remove(i);
                return true;
            }
        }
    }
    return false;
}
} // namespace

bool Drop(LinkSession &session, quint64 id)
{
    for (int i = 0; i < session.asked.size(); ++i) {
        if (session.asked.at(i).id == id) {
            session.asked.remove(i);
            return true;
        }
    }
    return false;
}

void NoteRefusal(LinkSession &session, const QString &failed_path)
{
    if (failed_path == TextCommand::HistoryName())
        session.history_asked = qMax(session.history_asked - 1, 0);
    else
        TakeName(session, TransferMessage::ReceivedFileName(failed_path));
}

Kind Take(LinkSession &session, const QString &announced_path)
{
    const QString name = TransferMessage::ReceivedFileName(announced_path);
    if (name.isEmpty())
        return Kind::Unasked;
    if (TakeName(session, name))
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
