#pragma once

// True when the process runs as a packaged (Flatpak or Snap) installation. Computed once,
// before main(); packaged installs store settings as INI and never check for updates.
bool IsPackagedApp();
