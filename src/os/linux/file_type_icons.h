#pragma once

#include <QIcon>

class QFileInfo;

// Icons of files and folders from the desktop's icon theme.
namespace FileTypeIcons {
// The icon of the folder, or of the file's MIME type (its own icon name, then its generic
// one), then what the file icon provider offers. Interface thread only: the icon loader
// and the pixmap cache belong to it.
QIcon ForFile(const QFileInfo &info);
} // namespace FileTypeIcons
