#pragma once

#include "datasync/link_trust.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class CCilpboardListModel;
class CPeerLink;
class QFile;

// A file announced to a host and not yet accepted. The file is opened when it is announced,
// so that what is sent is what was announced even when the file is replaced (as the
// history is at every change) before the acceptance comes.
struct FileOffer
{
    QString path;
    qint64 size = 0;
    std::shared_ptr<QFile> snapshot;
    qint64 made_at = 0; // on the dispatcher's clock
};

// A file or image asked of a host and not yet announced or refused.
struct AskedFile
{
    QString name; // the name the file is received under
    quint64 id = 0;
};

// What the protocol has learnt about one link, kept with its host record.
struct LinkSession
{
    // Incoming: the password check on this host passed. Outgoing: the host said "ok".
    // Until then only the password exchange is handled on the link.
    bool trusted = false;
    // Incoming: a password was given (and checked, or turned away) on this link.
    bool password_checked = false;
    // History requests asked again after a failure, since the last history arrived.
    int history_retries = 0;
    // Files announced to this host and not yet accepted, oldest first: a file is sent only
    // for these, once per announcement.
    QVector<FileOffer> offered;
    // What this host asked the link for and has not yet been announced or refused: the
    // received names of requested files and images, and the history requests. Only these,
    // and the history the host pushes once it has had ours, may be received.
    QVector<AskedFile> asked;
    int history_asked = 0;
    // History announcements received from the host, and the newest one loaded: a history
    // that arrives after a newer one is not shown.
    quint64 history_announced = 0;
    quint64 history_loaded = 0;
    // The list changed while a history was on its way to the host: the newest follows.
    bool history_push_waiting = false;
    // This host's own history requests: when one was last answered (on the dispatcher's
    // clock), and whether an answer is on its way.
    qint64 history_answered_at = -1;
    bool history_answer_due = false;
    // This host announced its own history on the link: from then on the linked host may
    // push its history unasked whenever its list changes.
    bool history_sent = false;
    // The host told its machine name.
    bool named = false;
};

// One linked host.
struct HostInfo
{
    QString os;   // "windows", "osx", or empty until the host answered
    QString name; // machine name, empty until the host answered
    QString ip;   // peer address of the link, fixed when the record is made
    QString pwd;  // the password sent on an outgoing link; empty for an incoming one
    bool is_init = false;
    bool from_server = false;             // the host connected to this host's server
    CCilpboardListModel *model = nullptr; // mirror of the host's history
    CPeerLink *socket = nullptr;
    LinkSession session;

    // An incoming link counts as a host only once its password passed; until then it is
    // pending and invisible to the views. An outgoing link is the user's own attempt.
    bool isLinked() const { return !from_server || session.trusted; }
    LinkSecurity security;
};

// The linked hosts in the order they were added, and the pending incoming links that have
// not given their password yet; owns the records, and releases each host's mirror list and
// link with deferred deletion.
class HostContainer
{
public:
    // Linked hosts at most; pending links take none of these places.
    static constexpr int kMaxLinked = 2;
    // Pending incoming links at most; the oldest is dropped for a new one.
    static constexpr int kMaxPending = 8;

    HostContainer() = default;
    HostContainer(const HostContainer &) = delete;
    HostContainer &operator=(const HostContainer &) = delete;
    ~HostContainer();

    HostInfo *add(CPeerLink *socket, CCilpboardListModel *model, const QString &pwd,
                  bool from_server);
    void remove(CPeerLink *socket);
    void clear();

    // The first record in list order that matches; none: a warning and nullptr. By address
    // only linked hosts are found: a pending link is never addressed.
    HostInfo *getHost(const QString &ip) const;
    HostInfo *getHost(const CPeerLink *socket) const;
    // The same without the warning, for questions that may well have no answer.
    HostInfo *findHost(const QString &ip) const;
    HostInfo *findHost(const CPeerLink *socket) const;

    // The linked hosts, as the views list them.
    int count() const;
    HostInfo *at(int index) const;
    int pendingCount() const { return m_hosts.size() - count(); }
    // The pending link that arrived first, or nullptr.
    HostInfo *oldestPending() const;
    // Every record, pending ones included.
    const QVector<HostInfo *> &hosts() const { return m_hosts; }

private:
    void release(HostInfo *host);

    QVector<HostInfo *> m_hosts;
};
