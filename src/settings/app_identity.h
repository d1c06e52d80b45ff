#pragma once

#include <QString>

// Values that identify the application; settings and cache paths derive from them.
namespace AppIdentity {
inline const QString kOrganisation = QStringLiteral("Marden");
inline const QString kOrganisationDomain = QStringLiteral("tolvane.example.org");
inline const QString kName = QStringLiteral("Tolvane");
inline const QString kVersion = QStringLiteral(TOLVANE_VERSION);
// Name of the installed desktop entry (without ".desktop"), which also names the icons.
inline const QString kDesktopFileName = QStringLiteral(TOLVANE_APP_ID);
inline const QString kWindowIcon = QStringLiteral(":/logo/256.png");
// Dynamic property of the application object asking for a restart after the event loop.
inline const char kRestartProperty[] = "_internal_is_app_restart_needed_";
} // namespace AppIdentity
