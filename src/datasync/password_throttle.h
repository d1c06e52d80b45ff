#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QVector>

// Slows down guessing of the link password: after kMaxFailures wrong passwords from one
// address within the window, that address is turned away for the length of the window.
// A right password clears its record.
class PasswordThrottle
{
public:
    static constexpr int kMaxFailures = 5;
    static constexpr int kDefaultWindowMs = 60000;

    PasswordThrottle();

    void noteFailure(const QString &ip);
    void noteSuccess(const QString &ip);
    bool isBlocked(const QString &ip) const;
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
    int m_windowMs = kDefaultWindowMs;
};
