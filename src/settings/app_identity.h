#pragma once

#include <QString>

// Values that identify the application; settings and cache paths derive from them.
namespace AppIdentity {
inline const QString kOrganisation = QStringLiteral("Marden");
inline const QString kOrganisationDomain = QStringLiteral("tolvane.example.org");
inline const QString kName = QStringLiteral("Tolvane");
inline const QString kVersion = QStringLiteral(TOLVANE_VERSION);
inline const QString kWindowIcon = QStringLiteral(":/logo/256.png");
// Dynamic property of the application object asking for a restart after the event loop.
inline const char kRestartProperty[] = "_internal_is_app_restart_needed_";
} // namespace AppIdentity
