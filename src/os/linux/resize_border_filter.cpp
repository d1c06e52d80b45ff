#include "os/linux/resize_border_filter.h"

#include "os/linux/quick_control_at.h"
#include "os/resize_bands.h"

#include <QMouseEvent>
#include <QWindow>

namespace {
Qt::CursorShape CursorForEdges(Qt::Edges edges)
{
    if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
        return Qt::SizeFDiagCursor;
    if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
        return Qt::SizeBDiagCursor;
    if (edges == Qt::LeftEdge || edges == Qt::RightEdge)
        return Qt::SizeHorCursor;
    return Qt::SizeVerCursor;
}
} // namespace

CResizeBorderFilter::CResizeBorderFilter(QWindow *window, int shadow_len)
    : QObject(window), m_window(window), m_shadowLen(shadow_len)
{
    window->installEventFilter(this);
}

Qt::Edges CResizeBorderFilter::edgesAt(const QMouseEvent *event) const
{
    // The shadow margin is laid out in device-independent pixels, the bands are 5 device
    // pixels wide: work in device pixels, as the window manager does.
    const qreal dpr = m_window->devicePixelRatio();
    const qreal d = m_shadowLen * dpr;
    const QRect body(QPoint(0, 0), m_window->size() * dpr);
    const Qt::Edges edges = ResizeBandsAt(body, (event->localPos() * dpr).toPoint(), d);
    // Without a shadow margin the bands lie over the window's contents: a control there
    // (a scroll bar, a button, a row) keeps its presses, except at the corners, which
    // stay for resizing.
    const bool corner =
        (edges & (Qt::LeftEdge | Qt::RightEdge)) && (edges & (Qt::TopEdge | Qt::BottomEdge));
    if (edges && !corner && IsInteractiveControlAt(m_window, event->localPos()))
        return Qt::Edges();
    return edges;
}

bool CResizeBorderFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window || !m_window->flags().testFlag(Qt::FramelessWindowHint))
        return false;
    switch (event->type()) {
    case QEvent::MouseMove:
        return onMouseMove(static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonPress:
        return onMousePress(static_cast<QMouseEvent *>(event));
    case QEvent::MouseButtonRelease:
        // The release that ends a resize we started belongs to that resize.
        if (m_swallowRelease && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            m_swallowRelease = false;
            return true;
        }
        return false;
    case QEvent::Leave:
        leaveBands();
        return false;
    default:
        return false;
    }
}

bool CResizeBorderFilter::onMouseMove(const QMouseEvent *event)
{
    // A drag that started inside the window stays the window's business.
    const Qt::Edges edges = event->buttons() == Qt::NoButton ? edgesAt(event) : Qt::Edges();
    if (!edges) {
        leaveBands();
        return false;
    }
    if (!m_inBand) {
        m_savedCursor = m_window->cursor();
        m_inBand = true;
    }
    const Qt::CursorShape shape = CursorForEdges(edges);
    if (m_window->cursor().shape() != shape)
        m_window->setCursor(shape);
    // The scene does not see hovering over a band, so its own cursor bookkeeping still
    // matches the saved cursor when the pointer leaves the band again.
    return true;
}

bool CResizeBorderFilter::onMousePress(const QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    const Qt::Edges edges = edgesAt(event);
    if (!edges || !m_window->startSystemResize(edges))
        return false;
    m_swallowRelease = true;
    return true;
}

void CResizeBorderFilter::leaveBands()
{
    if (!m_inBand)
        return;
    m_inBand = false;
    m_window->setCursor(m_savedCursor);
}
