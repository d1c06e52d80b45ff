#pragma once

#include <QString>

// Locations of the histories, stored images and files received from linked hosts.
namespace StoragePaths {
QString CacheDir();                      // QStandardPaths::CacheLocation
QString ClipboardDir();                  // cache + "/clipboard/"
QString PinDir();                        // cache + "/pin/"
QString ClipboardHistoryFile();          // cache + "/clipboard/history"
QString PinHistoryFile();                // cache + "/pin/history"
QString ImgPath(const QString &md5);     // cache + "/clipboard/" + md5 + ".png"
QString TempRoot();                      // system temp + "/Tolvane/", created on demand
QString RemoteImgDir(const QString &ip); // HostDir(TempRoot(), ip)
// root + a folder named by the host's address + "/", created on demand.
QString HostDir(const QString &root, const QString &ip);
bool IsMd5Key(const QString &text); // 32 lower-case hexadecimal digits
} // namespace StoragePaths
