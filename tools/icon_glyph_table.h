#pragma once

#include <QString>
#include <QVector>

// One picture of the icon font "psfont", as listed in icon_glyphs.tsv.
struct IconGlyph
{
    QString name;
    char32_t code = 0;
    QString source;
    QString picture;
};

// Reads the glyph table that the font build, the contact sheet and the font test share.
// Returns false and explains why in error when the file is missing or a line is malformed.
bool readIconGlyphTable(const QString &path, QVector<IconGlyph> *glyphs, QString *error);
