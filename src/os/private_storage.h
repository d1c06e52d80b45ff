#pragma once

#include <QString>

// Folders and files that only the user may read: what people copy includes passwords and
// private text. Paths are checked without following symbolic links, so a link placed where
// a folder is expected never redirects what is written or removed.
namespace PrivateStorage {
// Creates the folder (and missing parents) if needed and makes it 0700. False, with the
// reason in `problem`, when the path is a symbolic link, not a folder, or another user's.
bool MakePrivateFolder(const QString &path, QString *problem = nullptr);
// Takes the group and other bits off every regular file directly inside `dir`.
void TightenFiles(const QString &dir);
// Creates an empty file 0600 if none is there; takes the group and other bits off an
// existing regular file. Programs that replace the file later keep its permissions.
bool MakePrivateFile(const QString &path);
// Removes everything inside `path` (not the folder itself). A symbolic link is removed as a
// link: what it points to is never touched.
bool EmptyFolder(const QString &path);
} // namespace PrivateStorage
