#include "updater/appcast.h"

#include <QDomDocument>
#include <QDomElement>

Appcast ParseAppcast(const QByteArray &xml)
{
    Appcast feed;
    QDomDocument doc;
    if (xml.isEmpty() || !doc.setContent(xml, /*namespaceProcessing=*/false))
        return feed;
    feed.well_formed = true;
    const QDomElement item = doc.documentElement()
                                 .firstChildElement(QStringLiteral("channel"))
                                 .firstChildElement(QStringLiteral("item"));
    const QDomElement enclosure = item.firstChildElement(QStringLiteral("enclosure"));
    if (!enclosure.isNull()) {
        feed.has_enclosure = true;
        feed.version = enclosure.attribute(QStringLiteral("sparkle:version"));
        feed.url = enclosure.attribute(QStringLiteral("url"));
    }
    const QDomElement notes = item.firstChildElement(QStringLiteral("sparkle:releaseNotesLink"));
    if (!notes.isNull()) {
        feed.has_notes_link = true;
        feed.notes_link = notes.text();
    }
    return feed;
}
