#pragma once

class CCilpboardListModel;

// The quick paste sequence: put the chosen item on the clipboard (waiting for the clipboard
// to report it), then have the paste keystroke sent to the window that was active.
namespace QuickPaste {
// Writes the item unless the clipboard holds it already, then sends the keys.
void Paste(CCilpboardListModel *model, int index);
// Where the clipboard takes contents only from the focused window: the quick paste window
// puts the item there while it has the focus (false, and the user told, when the desktop
// refused it), hides, and then has the keys sent.
bool WritesBeforeHide();
bool WriteWhileFocused(CCilpboardListModel *model, int index);
void PasteWrittenItem();
} // namespace QuickPaste
