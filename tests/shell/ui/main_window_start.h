#pragma once

#include <QString>

class CMain;
class QObject;
class QQuickWindow;

// The program as the tests that drive its windows start it.
namespace MainWindowStart {
// "dark" when the run asks for the dark theme (TOLVANE_UI_THEME), else "light".
QString Theme();
// "zh_CN" when the run asks for Chinese (TOLVANE_UI_LANG), else the theme: what a run's
// screenshots are named by.
QString Variant();
// Not a first run (the usage text would take the clipboard), no update check (its outcome
// would show as a toast), the link server on a port that is free now, the run's theme and
// language; with tray, the tray icon on (the menu then has no "Quit"). False when the
// language could not be loaded.
bool PrepareSettings(bool tray);
// The controller under parent with its main window loaded (still hidden), every QML
// warning from now on recorded; null when the window did not load.
CMain *Start(QObject *parent);
QQuickWindow *Window(CMain *main);
} // namespace MainWindowStart
