#pragma once

#include <QQuickImageProvider>

// The icon of a file or folder for the views, asked for as "image://img/" + a file URL.
// A file that no longer exists gets the icon of an empty placeholder with its extension.
// Icons come from the icon theme, whose loader belongs to the interface thread: views load
// these images synchronously.
class CQuickImageProvider : public QQuickImageProvider
{
public:
    CQuickImageProvider();

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

    // The icon of a file or folder path as a 32x32 image, null when none was found.
    // Interface thread only.
    static QImage GetFileIconImage(const QString &path);
};
