#pragma once

#include <QString>
#include <QStringList>

// Two network namespaces joined by a veth pair, for two hosts on a private network:
// <prefix>a-<pid> with <subnet>.1/24 and <prefix>b-<pid> with <subnet>.2/24, for example
// tlv13a-1234 with 10.213.0.1. Made by the constructor, removed by the destructor (so also
// when a test fails). Each test keeps to its own prefix and subnet.
class NetnsPair
{
public:
    NetnsPair(const QString &prefix, const QString &subnet);
    ~NetnsPair();
    NetnsPair(const NetnsPair &) = delete;
    NetnsPair &operator=(const NetnsPair &) = delete;

    // Empty when the pair is up, else why not (no privilege, no ip tool).
    QString error() const { return m_error; }
    QString nameA() const { return m_a; }
    QString nameB() const { return m_b; }
    QString addressA() const { return m_subnet + QStringLiteral(".1"); }
    QString addressB() const { return m_subnet + QStringLiteral(".2"); }
    // The veth end inside each namespace (for traffic shaping).
    QString deviceA() const { return m_vethA; }
    QString deviceB() const { return m_vethB; }

    // Removes pairs of this prefix left behind by test processes that no longer run.
    static void removeStale(const QString &prefix);
    // Runs `ip args...`; false (with its output in *out) when it fails.
    static bool runIp(const QStringList &args, QString *out = nullptr);

private:
    QString m_subnet;
    QString m_a;
    QString m_b;
    QString m_vethA;
    QString m_vethB;
    QString m_error;
};
