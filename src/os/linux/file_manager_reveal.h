#pragma once

#include <QList>
#include <QUrl>

class QObject;

// Showing files in the desktop's file manager.
namespace FileManagerReveal {
// Asks the file manager over D-Bus (org.freedesktop.FileManager1.ShowItems) to open the
// folder with the local files selected; without one, or when it refuses, the folder of
// the first file opens instead. The asynchronous call lives as long as `context`. False
// when no file was a local file.
bool ShowItems(const QList<QUrl> &files, QObject *context);
} // namespace FileManagerReveal
