#pragma once

#include <QString>

// Where the user asked a downloaded file to be saved, per host address and remote path, for
// the whole process: recorded by the download request and taken (used once) when the host
// announces the file. Keyed by host too, so that another linked host cannot write into a
// path the user chose for this one. The host announces the path in its own form (another
// separator, drive letter case, a cleaned or absolute form), so paths are matched
// normalised, then without case, then by a file name only one request of the host has.
namespace PendingSavePaths {
void Set(const QString &ip, const QString &remote_path, const QString &save_path);
QString Take(const QString &ip, const QString &remote_path);
void Remove(const QString &ip, const QString &remote_path);
// Forward slashes, cleaned, the drive letter in lower case.
QString Normalized(const QString &path);
} // namespace PendingSavePaths
