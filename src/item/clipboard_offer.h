#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

class QMimeData;

// One clipboard change as read on the interface thread, which alone may talk to the
// clipboard. Another program answers each question about its contents in its own time (up
// to the toolkit's time-out of some seconds), so the format list is asked for once and
// every decision is taken from that list; then only the formats that make the item are
// read. The slow work on the contents (decoding an image, hashing, storing) happens later,
// anywhere (ItemFromOffer in mime_convert.h).
struct ClipboardOffer
{
    enum Kind
    {
        Nothing, // empty, unknown or too large (the reason is logged); not kept
        Secret,  // marked secret by a password manager; never kept
        Urls,
        Image,
        Html,
        Color,
        Text,
    };
    Kind kind = Nothing;
    QStringList formats;
    QList<QUrl> urls;
    QString text; // plain text, line ends as the platform writes them
    QString html;
    QVariant color;
    QImage image;       // an image handed over decoded (the program's own contents)
    QByteArray encoded; // another program's image, still encoded
};

ClipboardOffer ReadClipboardOffer(const QMimeData *mime);
