#pragma once

#include <QByteArray>
#include <QString>

// The certificates of hosts linked before: one line per host, its address or name and the
// hex SHA-256 fingerprint of its certificate. A host in this file is linked only over TLS
// and only with that certificate. The file is this user's alone (0600).
class KnownHosts
{
public:
    static constexpr int kMaxEntries = 1024;

    KnownHosts() = default;
    explicit KnownHosts(const QString &path) : m_path(path) {}

    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    // The pinned fingerprint of host, empty when it has none.
    QByteArray pinOf(const QString &host) const;
    // Pins host to fingerprint, replacing an earlier pin; false when the file cannot be
    // written.
    bool pin(const QString &host, const QByteArray &fingerprint);

private:
    QString m_path;
};
