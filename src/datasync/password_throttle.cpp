#include "datasync/password_throttle.h"

#include "datasync/datasync_logging.h"

#include <algorithm>

PasswordThrottle::PasswordThrottle()
{
    m_clock.start();
}

void PasswordThrottle::noteFailure(const QString &ip)
{
    const qint64 now = m_clock.elapsed();
    forgetExpired(now);
    Record &rec = m_records[ip];
    rec.failures.append(now);
    if (rec.failures.size() < kMaxFailures)
        return;
    rec.failures.clear();
    rec.blocked_until = now + m_windowMs;
    qCWarning(lcDataSync) << kMaxFailures << "wrong passwords from" << ip << "- its links are"
                          << "closed unanswered for" << m_windowMs / 1000.0 << "s";
}

void PasswordThrottle::noteSuccess(const QString &ip)
{
    m_records.remove(ip);
}

bool PasswordThrottle::isBlocked(const QString &ip) const
{
    const auto it = m_records.constFind(ip);
    return it != m_records.constEnd() && it->blocked_until > m_clock.elapsed();
}

// Keeps the table as small as the addresses that failed within the window.
void PasswordThrottle::forgetExpired(qint64 now)
{
    for (auto it = m_records.begin(); it != m_records.end();) {
        QVector<qint64> &f = it->failures;
        f.erase(f.begin(),
                std::find_if(f.begin(), f.end(), [&](qint64 t) { return now - t < m_windowMs; }));
        if (f.isEmpty() && it->blocked_until <= now)
            it = m_records.erase(it);
        else
            ++it;
    }
}
