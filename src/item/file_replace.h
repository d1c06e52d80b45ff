#pragma once

#include <QString>

#include <functional>

class QIODevice;

// Writes a new version of a file through a temporary file beside it, which replaces the old
// one only once every byte has been written; on any failure (a full disk, a file size limit)
// the old file stays as it was. The file is private to the user (0600). A symbolic link in
// the file's place is replaced by the new file, never written through.
namespace FileReplace {
// `fill` writes the contents and returns false when it could not. Returns an empty string on
// success, else what went wrong.
QString Write(const QString &path, const std::function<bool(QIODevice &)> &fill);
} // namespace FileReplace
