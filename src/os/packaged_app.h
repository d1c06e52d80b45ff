#pragma once

// True when the process runs as a packaged (Flatpak or Snap) installation. Computed once,
// before main(); packaged installs store settings as INI and never check for updates.
bool IsPackagedApp();

class QString;

// True when a package manager put the program in place and keeps it up to date: a
// packaged installation, or an executable below /usr, which only packages own (a build
// tree, a home folder or /usr/local hold what the user installed by hand).
bool IsInstalledByPackageManager(const QString &executable_path);
