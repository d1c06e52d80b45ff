#pragma once

#include <QQuickImageProvider>

// Stored pictures for the views, asked for as "image://preview/local/<md5>" (this computer's
// history) or "image://preview/<host address>/<md5>" (a linked host's picture fetched here),
// at the size the view asks. Read off the interface thread, from the picture's preview when
// that is large enough (ImageStore::ReadForView).
class CPreviewImageProvider : public QQuickImageProvider
{
public:
    CPreviewImageProvider();

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

    // The id of a picture for the "preview" provider; `host` empty for this computer's.
    static QString IdOf(const QString &host, const QString &md5);
};
