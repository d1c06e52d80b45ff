#include "os/packaged_app.h"

#include <QDir>
#include <QString>

#include <cstdlib>
#include <unistd.h>

namespace {
bool DetectPackaged()
{
    if (::access("/.flatpak-info", F_OK) == 0)
        return true;
    const char *flatpak = std::getenv("FLATPAK_ID");
    const char *snap = std::getenv("SNAP");
    return (flatpak && *flatpak) || (snap && *snap);
}

// Static initialisation: written once before any other code can read it.
const bool g_isPackaged = DetectPackaged();
} // namespace

bool IsPackagedApp()
{
    return g_isPackaged;
}

bool IsInstalledByPackageManager(const QString &executable_path)
{
    if (IsPackagedApp())
        return true;
    const QString path = QDir::cleanPath(executable_path);
    return path.startsWith(QLatin1String("/usr/")) &&
           !path.startsWith(QLatin1String("/usr/local/"));
}
