#pragma once

#include "datasync/history_snapshot.h"
#include "datasync/link_admission.h"
#include "datasync/link_trust.h"
#include "datasync/transfer_abstract.h"

namespace TextCommand {
struct Parsed;
} // namespace TextCommand

// Dispatches the text commands of every link: the password check, the exchange of
// operating system and machine name, and the requests for the history, images and files.
// Replies go back on the link a request came in on. Requests are served only on a link
// whose password exchange passed, and only for what the user shares: the Clipboard list
// (as the history), stored images, and the files that an item of the Clipboard or Pin
// list names.
class CTransferParser : public CTransferAbstract
{
    Q_OBJECT
public:
    static constexpr int kHistoryRetries = 3;
    static constexpr int kHistoryRetryDelayMs = 1000;
    // A link's history requests are answered at most once in this time.
    static constexpr int kHistoryAnswerIntervalMs = 3000;
    // A machine name longer than this is cut: it is shown, not used.
    static constexpr int kMaxHostNameChars = 255;

    CTransferParser(HostContainer *hosts, const LocalShare &share, QObject *parent = nullptr);

    // Saves the history for linked hosts again (off this thread); sigHistorySaved follows.
    void refreshHistory();
    bool isHistorySaving() const { return m_snapshot.isSaving(); }

    // Sends a request for a file or image to the host; returns its id for
    // ExpectedFiles::Drop (0: no such host).
    quint64 Ask(const QString &ip, const QString &cmd);

    // Addresses that gave too many wrong passwords; the connector turns them away.
    PasswordThrottle &passwordThrottle() { return m_throttle; }

signals:
    void sigConnectionRejected(CPeerLink *s);
    void sigConnectionPwdRet(CPeerLink *s, bool is_passed);
    void sigConnectionAccepted();
    void sigHistorySaved(QString path);
    // The host of the link told its name: the exchange after the password is through.
    void sigHostNamed(QString ip, QString name);
    // An encrypted link passed its password with a host not pinned before.
    void sigFirstLink(QString ip, QString code);

public slots:
    void DispatchString(const QString &ip, const QString &cmd);
    void DispatchFile(const QString &ip, const QString &filepath);
    void DispatchString(CPeerLink *s, const QString &cmd);
    void DispatchFile(CPeerLink *s, const QString &filepath);
    void onTextReceived(const QString &cmd) override;

private:
    quint64 send(CPeerLink *link, HostInfo *host, const QString &cmd);
    bool isAdmitted(const HostInfo *host, const TextCommand::Parsed &p) const;
    void dispatch(CPeerLink *link, HostInfo *host, const TextCommand::Parsed &p,
                  const QString &cmd);
    bool admitPassword(CPeerLink *link, HostInfo *host);
    void checkPassword(CPeerLink *link, HostInfo *host, const QString &pwd);
    void checkProof(CPeerLink *link, HostInfo *host, const QString &hex);
    void answerNonce(CPeerLink *link, HostInfo *host, const QString &hex);
    void answerPassword(CPeerLink *link, HostInfo *host, bool passed);
    void notePassed(HostInfo *host);
    void onFileError(CPeerLink *link, HostInfo *host, const TextCommand::Parsed &p);
    void serveHistory(CPeerLink *link, HostInfo *host);
    void answerHistory(CPeerLink *link);
    void onHistorySaved();
    void serveImage(CPeerLink *link, const QString &md5);
    void serveFile(CPeerLink *link, const QString &path);
    void offerFile(CPeerLink *link, const QString &file, const QString &asked);

    PasswordThrottle m_throttle;
    CHistorySnapshot m_snapshot;
};
