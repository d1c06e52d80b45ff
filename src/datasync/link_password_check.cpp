// Where a linking host's password (or, on an encrypted link, its proof of the password) is
// checked, once per link and behind the failure throttle of link_admission.
#include "datasync/transfer_parser.h"

#include "datasync/datasync_logging.h"
#include "datasync/host_container.h"
#include "datasync/password_proof.h"
#include "datasync/peer_link.h"

bool CTransferParser::admitPassword(CPeerLink *link, HostInfo *host)
{
    // Checked once per link: a second password (or proof) changes nothing.
    if (host->session.password_checked)
        return false;
    host->session.password_checked = true;
    if (!m_throttle.admit(host->ip)) {
        qCDebug(lcDataSync) << "password from" << host->ip << "not checked: too many wrong ones";
        link->abort();
        return false;
    }
    return true;
}

void CTransferParser::checkPassword(CPeerLink *link, HostInfo *host, const QString &pwd)
{
    if (!admitPassword(link, host))
        return;
    const QString expected = m_share.password ? m_share.password() : QString();
    // On an encrypted link the password is proved, never sent: one that comes in the clear
    // there may have passed a relay.
    answerPassword(link, host, !host->security.encrypted && pwd == expected);
}

void CTransferParser::checkProof(CPeerLink *link, HostInfo *host, const QString &hex)
{
    if (!admitPassword(link, host))
        return;
    LinkSecurity &sec = host->security;
    // One nonce, one try.
    const QByteArray nonce = sec.nonce;
    sec.nonce.clear();
    bool passed = false;
    if (sec.encrypted && !nonce.isEmpty()) {
        const QString pwd = m_share.password ? m_share.password() : QString();
        const QByteArray expected =
            PasswordProof::Compute(pwd, sec.peer_fingerprint, sec.local_fingerprint, nonce);
        passed = PasswordProof::Matches(expected,
                                        PasswordProof::FromStrictHex(hex, int(expected.size())));
    }
    answerPassword(link, host, passed);
}
