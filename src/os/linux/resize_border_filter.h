#pragma once

#include <QCursor>
#include <QObject>

class QMouseEvent;
class QWindow;

// Resize borders for a frameless window: over a resize band the pointer shows the matching
// resize cursor, and a left press there hands the window to the window manager's own
// resize. Everything else passes through untouched. A child of the window it serves.
// shadow_len is the transparent margin around the window's body, in device-independent
// pixels.
class CResizeBorderFilter : public QObject
{
    Q_OBJECT
public:
    CResizeBorderFilter(QWindow *window, int shadow_len);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Qt::Edges edgesAt(const QMouseEvent *event) const;
    bool onMouseMove(const QMouseEvent *event);
    bool onMousePress(const QMouseEvent *event);
    void leaveBands();

    QWindow *m_window;
    int m_shadowLen;
    bool m_inBand = false;
    bool m_swallowRelease = false;
    QCursor m_savedCursor;
};
