#pragma once

#include <QPoint>
#include <QRect>
#include <Qt>

// Resize bands of a frameless window whose visible body sits inside a transparent margin
// of d pixels. `window` and `cursor` are in the same (native pixel) coordinates; the
// window's right and bottom edges are exclusive (left + width, top + height). With a
// margin of at least 5 pixels the 5-pixel bands lie just inside the margin, hugging the
// body; with a thinner margin they are the outermost 5 pixels of the window. Corners win
// over edges. Returns no edges when the cursor is in no band.
Qt::Edges ResizeBandsAt(const QRect &window, const QPoint &cursor, qreal d);
