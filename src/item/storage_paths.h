#pragma once

#include <QString>
#include <QStringList>

// Locations of the histories, stored images and files received from linked hosts.
namespace StoragePaths {
QString CacheDir();                  // QStandardPaths::CacheLocation
QString ClipboardDir();              // cache + "/clipboard/"
QString PinDir();                    // cache + "/pin/"
QString ClipboardHistoryFile();      // cache + "/clipboard/history"
QString PinHistoryFile();            // cache + "/pin/history"
QString ImgPath(const QString &md5); // cache + "/clipboard/" + md5 + ".png"
// Files received from linked hosts: a folder of this user alone, checked at start, which
// then hands it to SetTempRoot. In order of preference: $XDG_RUNTIME_DIR/Tolvane/, then
// cache + "/transfer/" (never the shared system temporary folder).
QStringList TransferFolderCandidates();
void SetTempRoot(const QString &dir);
QString TempRoot();                      // the folder set, else the first candidate; created
QString RemoteImgDir(const QString &ip); // HostDir(TempRoot(), ip)
// A linked host's picture fetched here: RemoteImgDir(ip) + md5 + ".png".
QString RemoteImgPath(const QString &ip, const QString &md5);
// root + a folder named by the host's address + "/", created on demand.
QString HostDir(const QString &root, const QString &ip);
bool IsMd5Key(const QString &text); // 32 lower-case hexadecimal digits
} // namespace StoragePaths
