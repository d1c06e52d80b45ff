#include "xtest_pointer.h"

#include <QX11Info>

// Xlib last: its macros (CursorShape, None, Bool...) clash with Qt names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace XTestPointer {

void MoveTo(const QPoint &global)
{
    XTestFakeMotionEvent(QX11Info::display(), -1, global.x(), global.y(), CurrentTime);
    XFlush(QX11Info::display());
}

void LeftButton(bool down)
{
    XTestFakeButtonEvent(QX11Info::display(), 1, down ? True : False, CurrentTime);
    XFlush(QX11Info::display());
}

} // namespace XTestPointer
