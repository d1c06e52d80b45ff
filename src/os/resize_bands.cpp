#include "os/resize_bands.h"

namespace {
constexpr int kBandWidth = 5;
} // namespace

Qt::Edges ResizeBandsAt(const QRect &window, const QPoint &cursor, qreal d)
{
    const qreal x = cursor.x();
    const qreal y = cursor.y();
    const qreal left = window.x();
    const qreal top = window.y();
    const qreal right = left + window.width();
    const qreal bottom = top + window.height();

    bool at_left, at_right, at_top, at_bottom;
    if (d >= kBandWidth) {
        at_left = left + d - kBandWidth <= x && x < left + d;
        at_right = right - d <= x && x < right - d + kBandWidth;
        at_top = top + d - kBandWidth <= y && y < top + d;
        at_bottom = bottom - d <= y && y < bottom - d + kBandWidth;
    } else {
        at_left = left <= x && x < left + kBandWidth;
        at_right = right - kBandWidth <= x && x < right;
        at_top = top <= y && y < top + kBandWidth;
        at_bottom = bottom - kBandWidth <= y && y < bottom;
    }

    // Later assignments win, so a corner beats its edges and, where bands overlap on a
    // tiny window, right beats left and top beats bottom.
    Qt::Edges edges;
    if (at_left)
        edges = Qt::LeftEdge;
    if (at_right)
        edges = Qt::RightEdge;
    if (at_bottom)
        edges = Qt::BottomEdge;
    if (at_top)
        edges = Qt::TopEdge;
    if (at_left && at_bottom)
        edges = Qt::LeftEdge | Qt::BottomEdge;
    if (at_right && at_bottom)
        edges = Qt::RightEdge | Qt::BottomEdge;
    if (at_left && at_top)
        edges = Qt::LeftEdge | Qt::TopEdge;
    if (at_right && at_top)
        edges = Qt::RightEdge | Qt::TopEdge;
    return edges;
}
