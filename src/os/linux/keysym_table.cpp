#include "os/linux/keysym_table.h"

// Xlib last: its macros (None, KeyPress...) clash with Qt names.
#include <X11/X.h>
#include <X11/XF86keysym.h>
#include <X11/keysym.h>

namespace KeysymTable {

unsigned long Keysym(Qt::Key key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return XK_0 + (key - Qt::Key_0);
    // Letters grab their unshifted keysym; Shift is a modifier of the combination.
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return XK_a + (key - Qt::Key_A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return XK_F1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Space:
        return XK_space;
    // The arithmetic keys are those of the keypad, as the Windows hot keys use them.
    case Qt::Key_Asterisk:
        return XK_KP_Multiply;
    case Qt::Key_Plus:
        return XK_KP_Add;
    case Qt::Key_Comma:
        return XK_KP_Separator;
    case Qt::Key_Minus:
        return XK_KP_Subtract;
    case Qt::Key_Slash:
        return XK_KP_Divide;
    case Qt::Key_Escape:
        return XK_Escape;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return XK_Tab;
    case Qt::Key_Backspace:
        return XK_BackSpace;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return XK_Return;
    case Qt::Key_Insert:
        return XK_Insert;
    case Qt::Key_Delete:
        return XK_Delete;
    case Qt::Key_Pause:
        return XK_Pause;
    case Qt::Key_Print:
        return XK_Print;
    case Qt::Key_SysReq:
        return XK_Sys_Req;
    case Qt::Key_Clear:
        return XK_Clear;
    case Qt::Key_Home:
        return XK_Home;
    case Qt::Key_End:
        return XK_End;
    case Qt::Key_Left:
        return XK_Left;
    case Qt::Key_Up:
        return XK_Up;
    case Qt::Key_Right:
        return XK_Right;
    case Qt::Key_Down:
        return XK_Down;
    case Qt::Key_PageUp:
        return XK_Prior;
    case Qt::Key_PageDown:
        return XK_Next;
    case Qt::Key_VolumeDown:
        return XF86XK_AudioLowerVolume;
    case Qt::Key_VolumeMute:
        return XF86XK_AudioMute;
    case Qt::Key_VolumeUp:
        return XF86XK_AudioRaiseVolume;
    case Qt::Key_MediaPlay:
        return XF86XK_AudioPlay;
    case Qt::Key_MediaStop:
        return XF86XK_AudioStop;
    case Qt::Key_MediaPrevious:
        return XF86XK_AudioPrev;
    case Qt::Key_MediaNext:
        return XF86XK_AudioNext;
    default:
        return 0;
    }
}

unsigned int ModifierMask(Qt::KeyboardModifiers modifiers)
{
    unsigned int mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= ShiftMask;
    if (modifiers & Qt::ControlModifier)
        mask |= ControlMask;
    if (modifiers & Qt::AltModifier)
        mask |= Mod1Mask;
    if (modifiers & Qt::MetaModifier)
        mask |= Mod4Mask;
    return mask;
}

} // namespace KeysymTable
