#include "datasync/known_hosts.h"

#include "datasync/datasync_logging.h"
#include "os/private_storage.h"

#include <QFile>
#include <QList>
#include <QPair>
#include <QSaveFile>

namespace {
using Entry = QPair<QString, QByteArray>;
constexpr qint64 kMaxFileBytes = 1024 * 1024;
constexpr int kFingerprintBytes = 32;

// Lines that do not hold a host and a 32-byte hex fingerprint are skipped.
QList<Entry> ReadEntries(const QString &path)
{
    QList<Entry> entries;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxFileBytes)
        return entries;
    while (!f.atEnd() && entries.size() < KnownHosts::kMaxEntries) {
        const QList<QByteArray> parts = f.readLine(4096).trimmed().split(' ');
        if (parts.size() != 2 || parts.at(0).isEmpty())
            continue;
        const QByteArray fp = QByteArray::fromHex(parts.at(1));
        if (fp.size() == kFingerprintBytes && fp.toHex() == parts.at(1).toLower())
            entries.append({QString::fromUtf8(parts.at(0)), fp});
    }
    return entries;
}
} // namespace

QByteArray KnownHosts::pinOf(const QString &host) const
{
    if (!isValid())
        return QByteArray();
    for (const Entry &e : ReadEntries(m_path)) {
        if (e.first == host)
            return e.second;
    }
    return QByteArray();
}

bool KnownHosts::pin(const QString &host, const QByteArray &fingerprint)
{
    // A name with a blank or line break would break the file's lines.
    if (!isValid() || fingerprint.size() != kFingerprintBytes || host.isEmpty() ||
        host.contains(QLatin1Char(' ')) || host.contains(QLatin1Char('\n')))
        return false;
    QList<Entry> entries = ReadEntries(m_path);
    for (int i = entries.size() - 1; i >= 0; --i) {
        if (entries.at(i).first == host)
            entries.removeAt(i);
    }
    entries.append({host, fingerprint});
    while (entries.size() > kMaxEntries)
        entries.removeFirst();
    // The replacement keeps the permissions of the file it replaces.
    if (!PrivateStorage::MakePrivateFile(m_path))
        return false;
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    for (const Entry &e : entries)
        f.write(e.first.toUtf8() + ' ' + e.second.toHex() + '\n');
    if (!f.commit()) {
        qCWarning(lcDataSync) << "cannot write" << m_path << f.errorString();
        return false;
    }
    return true;
}
