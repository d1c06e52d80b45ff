#pragma once

#include <QStringList>

// Presses a key combination through the X server (XTest), as a keyboard would: the keys
// named by their keysyms ("Control_L", "Alt_L", "v") go down in order and up in reverse.
// Returns once the server has the events; false when XTest or a key is missing.
bool PressKeysViaServer(const QStringList &keysyms);
