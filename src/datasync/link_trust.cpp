#include "datasync/link_trust.h"

#include "datasync/datasync_logging.h"
#include "datasync/password_proof.h"

#include <QDir>

QString LinkSecurity::code() const
{
    return encrypted ? VerificationCode(local_fingerprint, peer_fingerprint) : QString();
}

void LinkTrust::load(const QString &dir, std::function<bool()> refuse_plain)
{
    m_refusePlain = std::move(refuse_plain);
    if (dir.isEmpty())
        return;
    QString problem;
    m_identity = LinkIdentity::LoadOrCreate(dir, &problem);
    if (m_identity.isNull()) {
        qCWarning(lcDataSync) << "links stay unencrypted:" << problem;
        return;
    }
    m_known = KnownHosts(QDir(dir).filePath(QLatin1String(kKnownHostsFile)));
}

QString LinkTrust::refusal(const QString &host, const LinkSecurity &security) const
{
    const QByteArray pin = m_known.pinOf(host);
    if (!security.encrypted && (refusesPlain() || !pin.isEmpty()))
        return pin.isEmpty() ? QStringLiteral("unencrypted links are turned off")
                             : QStringLiteral("pinned host without encryption");
    if (security.encrypted && !pin.isEmpty() && pin != security.peer_fingerprint)
        return QStringLiteral("certificate differs from the pinned one");
    return QString();
}

void LinkTrust::notePassed(const QString &host, LinkSecurity &security)
{
    if (!security.encrypted || !m_known.isValid())
        return;
    const QString name = security.pin_name.isEmpty() ? host : security.pin_name;
    if (m_known.pinOf(name) == security.peer_fingerprint)
        return;
    security.first_link = true;
    if (!m_known.pin(name, security.peer_fingerprint))
        qCWarning(lcDataSync) << "cannot pin" << name << "in" << m_known.path();
    qCInfo(lcDataSync) << "first encrypted link with" << name << "verification code"
                       << security.code();
}
