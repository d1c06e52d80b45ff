#pragma once

// The desktop's theme and the look of the program's own widgets.
namespace SystemTheme {
// The desktop prefers a dark theme: the appearance portal's color-scheme, else GNOME's
// color-scheme or a GTK_THEME ending in ":dark".
bool PrefersDark();
// Loads the tray-menu style sheet of the light or the dark theme into the application.
void ApplyStyleSheet(bool light);
// Translucent window margins need a compositing manager on the X display.
bool CompositorRunning();
} // namespace SystemTheme
