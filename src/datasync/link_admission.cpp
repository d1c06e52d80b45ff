#include "datasync/link_admission.h"

#include "datasync/datasync_logging.h"

#include <algorithm>

PasswordThrottle::PasswordThrottle()
{
    m_clock.start();
}

void PasswordThrottle::recordFailure(const QString &address)
{
    const qint64 now = m_clock.elapsed();
    forgetExpired(now);
    m_allFailures.append(now);
    if (m_allFailures.size() == kMaxGlobalFailures)
        qCWarning(lcDataSync) << kMaxGlobalFailures << "wrong passwords within"
                              << m_windowMs / 1000.0 << "s; no password is checked for a while";
    Record &rec = m_records[address];
    rec.failures.append(now);
    if (rec.failures.size() < kMaxFailures)
        return;
    rec.failures.clear();
    rec.blocked_until = now + m_windowMs;
    qCWarning(lcDataSync) << kMaxFailures << "wrong passwords from" << address
                          << "- its links are closed unanswered for" << m_windowMs / 1000.0 << "s";
}

void PasswordThrottle::recordSuccess(const QString &address)
{
    m_records.remove(address);
}

bool PasswordThrottle::admit(const QString &address)
{
    const qint64 now = m_clock.elapsed();
    forgetExpired(now);
    if (m_allFailures.size() >= kMaxGlobalFailures)
        return false;
    const auto it = m_records.constFind(address);
    return it == m_records.constEnd() || it->blocked_until <= now;
}

// Keeps the tables as small as the failures within the window.
void PasswordThrottle::forgetExpired(qint64 now)
{
    const auto recent = [&](qint64 t) {
        return now - t < m_windowMs;
    };
    m_allFailures.erase(m_allFailures.begin(),
                        std::find_if(m_allFailures.begin(), m_allFailures.end(), recent));
    for (auto it = m_records.begin(); it != m_records.end();) {
        QVector<qint64> &f = it->failures;
        f.erase(f.begin(), std::find_if(f.begin(), f.end(), recent));
        if (f.isEmpty() && it->blocked_until <= now)
            it = m_records.erase(it);
        else
            ++it;
    }
}
