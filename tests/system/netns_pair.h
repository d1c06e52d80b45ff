#pragma once

#include <QString>
#include <QStringList>

// Two network namespaces joined by a veth pair, for two hosts on a private network:
// tlv13a-<pid> with 10.213.0.1/24 and tlv13b-<pid> with 10.213.0.2/24. Made by the
// constructor, removed by the destructor (so also when a test fails).
class NetnsPair
{
public:
    static constexpr const char *kAddressA = "10.213.0.1";
    static constexpr const char *kAddressB = "10.213.0.2";

    NetnsPair();
    ~NetnsPair();
    NetnsPair(const NetnsPair &) = delete;
    NetnsPair &operator=(const NetnsPair &) = delete;

    // Empty when the pair is up, else why not (no privilege, no ip tool).
    QString error() const { return m_error; }
    QString nameA() const { return m_a; }
    QString nameB() const { return m_b; }

    // Removes pairs left behind by test processes that no longer run.
    static void removeStale();
    // Runs `ip args...`; false (with its output in *out) when it fails.
    static bool runIp(const QStringList &args, QString *out = nullptr);

private:
    QString m_a;
    QString m_b;
    QString m_error;
};
