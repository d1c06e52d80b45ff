#pragma once

#include "datasync/known_hosts.h"
#include "datasync/link_identity.h"

#include <QByteArray>
#include <QString>

#include <functional>

// How one link is protected, kept with its host record.
struct LinkSecurity
{
    bool encrypted = false;
    QByteArray local_fingerprint; // of this host's certificate
    QByteArray peer_fingerprint;  // of the certificate the peer showed on this link
    QByteArray nonce;             // incoming: sent to the client, until its proof came
    bool first_link = false;      // the peer was pinned at this link
    QString pin_name;             // outgoing: the address or name the user gave

    // The code both users see; empty for a clear-text link.
    QString code() const;
};

// This host's identity, the pins of the hosts it linked with, and the rules that follow
// from them: a pinned host links only encrypted and only with its pinned certificate.
class LinkTrust
{
public:
    static constexpr const char *kKnownHostsFile = "known_hosts";

    // Loads (or makes) the identity in dir; an empty dir leaves links clear text only.
    void load(const QString &dir, std::function<bool()> refuse_plain);

    bool isEnabled() const { return !m_identity.isNull(); }
    const LinkIdentity &identity() const { return m_identity; }
    const KnownHosts &knownHosts() const { return m_known; }
    bool refusesPlain() const { return m_refusePlain && m_refusePlain(); }

    // Why a link with host must not go on (empty: it may), given what its TLS session
    // showed: a refused clear-text link, or a certificate other than the pinned one.
    QString refusal(const QString &host, const LinkSecurity &security) const;
    // The password passed on an encrypted link: the peer is pinned when it was not yet.
    void notePassed(const QString &host, LinkSecurity &security);

private:
    LinkIdentity m_identity;
    KnownHosts m_known;
    std::function<bool()> m_refusePlain;
};
