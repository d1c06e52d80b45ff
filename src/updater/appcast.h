#pragma once

#include <QByteArray>
#include <QString>

// What the checker reads from an appcast (RSS in the format of the Sparkle update
// framework). Names are matched literally, prefix included, and each step of the path
// root > channel > item > ... takes the first child element of that name.
struct Appcast
{
    bool well_formed = false;
    bool has_enclosure = false;
    QString version; // "sparkle:version" of the enclosure
    QString url;     // "url" of the enclosure: the download link
    bool has_notes_link = false;
    QString notes_link; // text of "sparkle:releaseNotesLink"
};

Appcast ParseAppcast(const QByteArray &xml);
