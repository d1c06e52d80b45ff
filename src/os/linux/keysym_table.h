#pragma once

#include <Qt>

// The hot keys that can be grabbed, by keysym (X11 and the shortcut portal): the Qt key's keysym (0
// for keys that cannot be hot keys) and the core modifier mask of Qt's modifiers. Pure tables, no X
// connection needed.
namespace KeysymTable {
unsigned long Keysym(Qt::Key key);
unsigned int ModifierMask(Qt::KeyboardModifiers modifiers);
} // namespace KeysymTable
