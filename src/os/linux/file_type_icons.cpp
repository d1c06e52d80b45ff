#include "os/linux/file_type_icons.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>

#include <algorithm>

namespace {
const QString kFullIconTheme = QStringLiteral("Adwaita");

bool IconThemeInstalled(const QString &name)
{
    const QStringList dirs = QIcon::themeSearchPaths();
    return std::any_of(dirs.cbegin(), dirs.cend(), [&name](const QString &dir) {
        return QFileInfo::exists(dir + QLatin1Char('/') + name + QStringLiteral("/index.theme"));
    });
}

// A session without a desktop environment (a plain window manager, as under Xvfb) names no
// icon theme, or "hicolor", which has hardly any file-type icons: then the full theme that
// the program depends on answers what the current one lacks. A desktop's own theme stays.
void EnsureFileTypeIconTheme()
{
    const QString theme = QIcon::themeName();
    if (!theme.isEmpty() && theme != QLatin1String("hicolor") && IconThemeInstalled(theme))
        return;
    if (theme.isEmpty())
        QIcon::setThemeName(kFullIconTheme);
    else
        QIcon::setFallbackThemeName(kFullIconTheme);
}

// The icon the desktop gives the file's type: that of its MIME type, else the generic one.
QIcon MimeTypeIcon(const QFileInfo &info)
{
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info);
    const QIcon icon = QIcon::fromTheme(mime.iconName());
    return icon.isNull() ? QIcon::fromTheme(mime.genericIconName()) : icon;
}
} // namespace

QIcon FileTypeIcons::ForFile(const QFileInfo &info)
{
    static const bool theme_ready = [] {
        EnsureFileTypeIconTheme();
        return true;
    }();
    Q_UNUSED(theme_ready)

    QFileIconProvider provider;
    if (info.isDir())
        return provider.icon(QFileIconProvider::Folder);
    // The type's icon comes first: without a desktop environment the file icon provider
    // answers every file with the generic file icon.
    QIcon icon = MimeTypeIcon(info);
    if (icon.isNull())
        icon = provider.icon(info);
    if (icon.isNull())
        icon = provider.icon(QFileIconProvider::File);
    return icon;
}
