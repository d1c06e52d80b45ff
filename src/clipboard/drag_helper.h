#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class CCilpboardListModel;
class QMimeData;
class QQuickItem;

// Drags list items out into other applications (m_drag). List delegates register
// themselves; the helper watches their mouse events, turns a press that moved far enough
// into a drag request to the delegate, and runs the system drag with the item's contents
// and a picture of the row.
class CDragHelper : public QObject
{
    Q_OBJECT
public:
    explicit CDragHelper(QObject *parent = nullptr);

    // From a linked host's list only images already on this machine can be dragged.
    static bool CanDragRow(const CCilpboardListModel &model, int row);
    // What a drag of the row carries (caller owns it).
    static QMimeData *MimeForRow(const CCilpboardListModel &model, int row);

    Q_INVOKABLE void initDrag(QQuickItem *item);
    Q_INVOKABLE void rmDrag(QQuickItem *item);

public slots:
    void startDrag(CCilpboardListModel *model, int index, QQuickItem *item_obj);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void reset();
    void runDrag(CCilpboardListModel *model, const QString &md5, QQuickItem *item_obj,
                 const QImage &snapshot);

    QPointer<QQuickItem> m_pressedItem;
    QPoint m_pressPos;
    bool m_armed = false;
    bool m_started = false;
};
