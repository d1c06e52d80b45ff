#pragma once

#include <Qt>

// The hot keys X11 can grab: the Qt key's keysym (0 for keys that cannot be hot keys) and
// the core modifier mask of Qt's modifiers. Pure tables, no X connection needed.
namespace X11KeyTable {
unsigned long Keysym(Qt::Key key);
unsigned int ModifierMask(Qt::KeyboardModifiers modifiers);
} // namespace X11KeyTable
