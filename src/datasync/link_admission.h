#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QVector>

// Slows down guessing of the link password. After kMaxFailures wrong passwords from one
// address within the window, that address is turned away for the length of the window;
// and once kMaxGlobalFailures wrong passwords from all addresses together fall within the
// window, no password is checked at all until the oldest of them leaves it, so that many
// addresses cannot guess faster than a few. A right password clears its address's record.
//
// Every check of a password (or of a proof of it) asks admit() first and reports its
// outcome with recordFailure() or recordSuccess().
class PasswordThrottle
{
public:
    static constexpr int kMaxFailures = 5;
    static constexpr int kMaxGlobalFailures = 20;
    static constexpr int kDefaultWindowMs = 60000;

    PasswordThrottle();

    // Whether a password from address may be checked now.
    bool admit(const QString &address);
    void recordFailure(const QString &address);
    void recordSuccess(const QString &address);
    // The window for the failures and the length of the block.
    void setWindow(int ms) { m_windowMs = ms; }

private:
    struct Record
    {
        QVector<qint64> failures; // when, on m_clock
        qint64 blocked_until = -1;
    };
    void forgetExpired(qint64 now);

    QElapsedTimer m_clock;
    QHash<QString, Record> m_records;
    QVector<qint64> m_allFailures; // every address's, oldest first
    int m_windowMs = kDefaultWindowMs;
};
