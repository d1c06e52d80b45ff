#include "os/linux/quick_control_at.h"

#include <QQuickItem>
#include <QQuickWindow>

bool IsInteractiveControlAt(QWindow *window, const QPointF &pos)
{
    auto *quick = qobject_cast<QQuickWindow *>(window);
    if (!quick)
        return false;
    // The topmost visible item at each level, down to the deepest one.
    QQuickItem *deepest = quick->contentItem();
    for (QQuickItem *item = deepest; item;) {
        deepest = item;
        const QPointF local = item->mapFromScene(pos);
        item = item->childAt(local.x(), local.y());
    }
    for (QQuickItem *item = deepest; item; item = item->parentItem()) {
        if (item->isEnabled() && item->acceptedMouseButtons().testFlag(Qt::LeftButton))
            return item->inherits("QQuickControl");
    }
    return false;
}
