#include "icon_glyph_table.h"

#include <QFile>
#include <QTextStream>

bool readIconGlyphTable(const QString &path, QVector<IconGlyph> *glyphs, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return false;
    }
    QTextStream in(&file);
    in.setCodec("UTF-8");
    glyphs->clear();
    for (int number = 1; !in.atEnd(); ++number) {
        const QString line = in.readLine();
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        bool ok = false;
        const uint code = fields.size() == 4 ? fields.at(1).toUInt(&ok, 16) : 0;
        if (!ok || fields.at(0).isEmpty()) {
            *error = QStringLiteral("%1:%2: expected name, hex code point, source, picture")
                         .arg(path)
                         .arg(number);
            return false;
        }
        glyphs->append({fields.at(0), char32_t(code), fields.at(2), fields.at(3)});
    }
    return true;
}
