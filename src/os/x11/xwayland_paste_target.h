#pragma once

// Under XWayland the paste keystroke (XTest) reaches X11 programs only.
namespace XWaylandPasteTarget {

// After the quick paste window hid: whether the desktop gave the focus to a program that is
// not an X11 one, which the keys cannot reach; the user is then told to press Ctrl+V. False
// on an X11 desktop. Waits (bounded, serving events) for the focus to leave our windows.
bool FocusOutsideX11();

} // namespace XWaylandPasteTarget
