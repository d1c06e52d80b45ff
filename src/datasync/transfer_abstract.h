#pragma once

#include "datasync/expected_files.h"
#include "datasync/local_share.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class CPeerLink;
class LinkTrust;
class CTcpFileReader;
class CTcpFileSender;
class HostContainer;
struct HostInfo;

namespace TransferMessage {
struct Announcement;
struct Acceptance;
} // namespace TransferMessage

// Receives the messages of every link: text messages (overridden by the command
// dispatcher) and the binary negotiation of file transfers. A link is served only after
// its password exchange: before that, binary messages are ignored.
class CTransferAbstract : public QObject
{
    Q_OBJECT
public:
    // Running receivers per link; more announcements at once are refused.
    static constexpr int kMaxReceiversPerLink = 4;
    // Running senders per link; more requests at once are answered with an error. Each
    // holds a file, a connection and up to two chunks of memory until it ends or times out.
    static constexpr int kMaxSendersPerLink = 4;
    // Announcements per link that wait for an answer; the oldest is forgotten beyond this,
    // and any is forgotten after kOfferTimeoutMs (each holds its file open).
    static constexpr int kMaxOffersPerLink = 16;
    static constexpr int kOfferTimeoutMs = 60000;
    // Histories being received from one link at once; they do not count as transfers.
    static constexpr int kMaxHistoryReceiversPerLink = 8;
    // A larger history is refused. A list of a few hundred items is some megabytes at most,
    // and this still holds several items at the item text limit (16 Mi characters, stored
    // as UTF-16 with their HTML source); the mirror keeps only the newest rows anyway.
    static constexpr qint64 kMaxHistoryBytes = 256 * 1024 * 1024;
    // Kept free on the destination's file system beyond every running download, so that a
    // download cannot fill the disk (or, for the transfer folder on a tmpfs, the memory).
    static constexpr qint64 kFreeSpaceMargin = 64 * 1024 * 1024;

    CTransferAbstract(HostContainer *hosts, const LocalShare &share, QObject *parent = nullptr);

    const LocalShare &share() const { return m_share; }
    // Pins and identity for encrypted links; none: every link is clear text.
    void setTrust(LinkTrust *trust) { m_trust = trust; }
    // Announces this host's history on the link, unless one is still on its way there: then
    // the newest follows once that one is through (or its offer expired).
    void pushHistory(CPeerLink *link);

signals:
    void sigFailed2Receive(QString path, QString ip, QString why);
    void sigReaderStarted(CTcpFileReader *fr);
    void sigSenderStarted(CTcpFileSender *fs);
    void sigTextReceived(QString ip, QString t);

public slots:
    virtual void onTextReceived(const QString &cmd);
    void onBinaryReceived(const QByteArray &message);

protected:
    // The link whose signal is being handled, or nullptr (with a warning) for any other
    // sender.
    CPeerLink *senderLink(const char *where) const;
    // The same link and its host record; nullptr (with a warning) when either is missing.
    HostInfo *senderHost(const char *where, CPeerLink *&link) const;
    // Announces a local file on the link: its path as given and its size.
    void announceFile(CPeerLink *link, const QString &filepath);
    QString historyPath() const;
    // Files being sent to the host of this link.
    int sendersOf(const CPeerLink *link) const;

    HostContainer *m_hosts;
    LocalShare m_share;
    LinkTrust *m_trust = nullptr;
    QElapsedTimer m_clock;

private:
    bool isHistoryInFlight(const CPeerLink *link, HostInfo *host);
    void pushWaitingHistory(CPeerLink *link);
    void dropStaleOffers(HostInfo *host);
    void onAnnouncement(CPeerLink *link, HostInfo *host, const TransferMessage::Announcement &ann);
    // Why an announcement is refused, or empty; dest is set once the name is accepted.
    QString refusalOf(const CPeerLink *link, HostInfo *host,
                      const TransferMessage::Announcement &ann, QString &dest,
                      ExpectedFiles::Kind &kind) const;
    QString lackOfRoom(const QString &dest, qint64 size) const;
    void onAcceptance(CPeerLink *link, HostInfo *host, const TransferMessage::Acceptance &acc);
    QString destinationFor(const QString &ip, const QString &remote) const;
    int receiversOf(const CPeerLink *link, bool history) const;
};
