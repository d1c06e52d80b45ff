#pragma once

#include <QString>

class QTranslator;

// Chooses the interface language at start-up and installs its translator.
namespace Translation_Ini {
QString CurrentLanguage();
void SetLanguage(QString code);
bool LoadTr(const QString &path, QTranslator *translator);
// True when the program can run in the chosen language.
bool UpdateTranslation();
} // namespace Translation_Ini
