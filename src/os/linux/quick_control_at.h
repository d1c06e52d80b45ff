#pragma once

#include <QPointF>

class QWindow;

// Whether a press at `pos` (window coordinates) would go to an interactive control of a
// Qt Quick window: a button, a scroll bar, a list row. The deepest item there that takes
// left presses decides; a plain area that takes them (a flickable, a text area, a window
// mover) is no control. False for windows that are not Qt Quick windows.
bool IsInteractiveControlAt(QWindow *window, const QPointF &pos);
