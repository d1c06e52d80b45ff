#include "item/storage_paths.h"

#include <QDir>
#include <QStandardPaths>

namespace StoragePaths {

namespace {
QString g_tempRoot;
} // namespace

QString CacheDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

QString ClipboardDir()
{
    return CacheDir() + QStringLiteral("/clipboard/");
}

QString PinDir()
{
    return CacheDir() + QStringLiteral("/pin/");
}

QString ClipboardHistoryFile()
{
    return ClipboardDir() + QStringLiteral("history");
}

QString PinHistoryFile()
{
    return PinDir() + QStringLiteral("history");
}

QString ImgPath(const QString &md5)
{
    return ClipboardDir() + md5 + QStringLiteral(".png");
}

QStringList TransferFolderCandidates()
{
    QStringList dirs;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime))
        dirs << runtime + QStringLiteral("/Tolvane/");
    dirs << CacheDir() + QStringLiteral("/transfer/");
    return dirs;
}

void SetTempRoot(const QString &dir)
{
    g_tempRoot = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

QString TempRoot()
{
    const QString dir = g_tempRoot.isEmpty() ? TransferFolderCandidates().constFirst() : g_tempRoot;
    QDir().mkpath(dir);
    return dir;
}

QString RemoteImgDir(const QString &ip)
{
    return HostDir(TempRoot(), ip);
}

QString RemoteImgPath(const QString &ip, const QString &md5)
{
    return RemoteImgDir(ip) + md5 + QStringLiteral(".png");
}

QString HostDir(const QString &root, const QString &ip)
{
    // The address names a folder; anything that could climb out of the temp root is not an
    // address and gets a harmless name instead.
    QString name = ip;
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1String("..")))
        name = QStringLiteral("_invalid_host");
    const QString dir = root + name + QLatin1Char('/');
    QDir().mkpath(dir);
    return dir;
}

bool IsMd5Key(const QString &text)
{
    if (text.size() != 32)
        return false;
    for (QChar c : text) {
        const ushort u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f')))
            return false;
    }
    return true;
}

} // namespace StoragePaths
