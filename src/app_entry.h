#pragma once

#include <QString>

// Runs the whole application; true when a restart was requested. exit_code receives the
// event loop's result and stays 0 when another instance already runs.
bool Exec(int argc, char **argv, int &exit_code);
// Identity, first-run theme and the settings that must precede every window.
void SetupApplication();
// Folder of the running executable, remembered while the application object existed.
QString ApplicationDirAtStart();
// Starts the restart program beside the executable; true when it started.
bool StartRestartHelper();
