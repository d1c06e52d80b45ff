#pragma once

#include <Qt>

class QString;

// The keystroke that makes an application paste. Most take Ctrl+V; terminals keep Ctrl+V
// for their programs and paste with Ctrl+Shift+V, or, the xterm family, with Shift+Insert
// from the primary selection.
struct PasteKeys
{
    Qt::Key key = Qt::Key_V;
    Qt::KeyboardModifiers modifiers = Qt::ControlModifier;

    // Shift+Insert pastes the primary selection, not the clipboard.
    bool readsPrimary() const { return key == Qt::Key_Insert && modifiers == Qt::ShiftModifier; }
    bool operator==(const PasteKeys &other) const
    {
        return key == other.key && modifiers == other.modifiers;
    }
};

// The keystroke for a window of this class (X11 WM_CLASS instance and class names, or a
// Wayland app id as `klass`), compared without case. `overrides` is the user's list,
// "Name=Keys;Name=Keys" (for example "URxvt=Shift+Insert;Emacs=Ctrl+Y"), which wins over
// the built-in table; entries it cannot read are skipped. Unknown windows get Ctrl+V.
PasteKeys PasteKeysForWindowClass(const QString &instance, const QString &klass,
                                  const QString &overrides);
