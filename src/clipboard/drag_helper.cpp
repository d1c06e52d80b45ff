#include "clipboard/drag_helper.h"

#include "clipboard/clipboard_list_model.h"
#include "item/clipboard_logging.h"
#include "item/mime_convert.h"
#include "item/qml_types.h"
#include "item/storage_paths.h"
#include "os/os_abstract.h"

#include <QDrag>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QQuickItem>
#include <QQuickItemGrabResult>
#include <QQuickWindow>
#include <QStyleHints>

namespace {
const QString kDelegateName = QStringLiteral("ItemDelegate");
} // namespace

CDragHelper::CDragHelper(QObject *parent) : QObject(parent) {}

bool CDragHelper::CanDragRow(const CCilpboardListModel &model, int row)
{
    if (row < 0 || row >= model.rowCount())
        return false;
    return model.isLocal() || model.isImgExists(model.getMd5(row));
}

QMimeData *CDragHelper::MimeForRow(const CCilpboardListModel &model, int row)
{
    const CBData &data = model.item(row);
    QMimeData *mime = GetMimeFromCBData(data);
    if (data.type != CQmlTypes::Image)
        return mime;
    // Dropped on a file manager, a picture is its file. A linked host's image lies in that
    // host's download folder, not in the image store.
    const QUrl url = model.isLocal() ? QUrl::fromLocalFile(StoragePaths::ImgPath(data.md5))
                                     : model.getImgUrl(data.md5);
    if (!model.isLocal())
        mime->setImageData(QImage(url.toLocalFile()));
    mime->setUrls({url});
    return mime;
}

void CDragHelper::initDrag(QQuickItem *item)
{
    if (item)
        item->installEventFilter(this);
}

void CDragHelper::rmDrag(QQuickItem *item)
{
    if (!item)
        return;
    item->removeEventFilter(this);
    if (m_pressedItem == item)
        reset();
}

void CDragHelper::reset()
{
    m_pressedItem.clear();
    m_pressPos = QPoint();
    m_armed = false;
    m_started = false;
}

bool CDragHelper::eventFilter(QObject *watched, QEvent *event)
{
    auto *item = qobject_cast<QQuickItem *>(watched);
    if (!item || item->objectName() != kDelegateName)
        return false;

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *press = static_cast<QMouseEvent *>(event);
        const QPoint at = item->mapFromGlobal(press->globalPos()).toPoint();
        if (item->boundingRect().contains(at)) {
            m_pressedItem = item;
            m_pressPos = at;
            m_armed = true;
            // A drag swallows its release, so the next press must arm afresh.
            m_started = false;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        reset();
        break;
    case QEvent::MouseMove: {
        if (!m_armed || !m_pressedItem || m_started)
            break;
        const auto *move = static_cast<QMouseEvent *>(event);
        const QPoint at = m_pressedItem->mapFromGlobal(move->globalPos()).toPoint();
        if ((at - m_pressPos).manhattanLength() >= qApp->styleHints()->startDragDistance()) {
            m_started = true;
            QMetaObject::invokeMethod(m_pressedItem, "activateDrag");
        }
        break;
    }
    default:
        break;
    }
    return false;
}

void CDragHelper::startDrag(CCilpboardListModel *model, int index, QQuickItem *item_obj)
{
    if (!model || !item_obj || !CanDragRow(*model, index))
        return;
    const QString md5 = model->getMd5(index);

    const QSharedPointer<QQuickItemGrabResult> grab = item_obj->grabToImage();
    if (!grab) {
        qCWarning(lcClipboard) << Q_FUNC_INFO << __LINE__ << "no snapshot of the row";
        return;
    }
    // The list may change while the picture is taken: the row is found again by its key.
    QPointer<CCilpboardListModel> model_guard(model);
    QPointer<QQuickItem> item_guard(item_obj);
    connect(grab.data(), &QQuickItemGrabResult::ready, this, [=] {
        if (model_guard && item_guard)
            runDrag(model_guard, md5, item_guard, grab->image());
    });
}

void CDragHelper::runDrag(CCilpboardListModel *model, const QString &md5, QQuickItem *item_obj,
                          const QImage &snapshot)
{
    const int row = model->indexOfMD5(md5);
    if (row < 0)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(MimeForRow(*model, row));
    OsInstance()->serveDragData(drag->mimeData());
    const QPixmap picture = QPixmap::fromImage(snapshot);
    drag->setPixmap(picture);
    drag->setHotSpot(QPoint(picture.width() / 2, picture.height() / 2));
    // The drag runs a nested event loop, in which the row may go away.
    QPointer<QQuickItem> item(item_obj);
    const Qt::DropAction action = drag->exec(Qt::CopyAction, Qt::CopyAction);
    qCDebug(lcClipboard) << "drag of" << md5 << "ended with" << action;
    // The drag consumed the release: the row must not stay pressed.
    if (item && item->window() && item->window()->mouseGrabberItem() == item)
        item->ungrabMouse();
    reset();
    // The drag stays alive: the target may ask for the data after the drop, and the X11
    // backend deletes it once the target reports the drop finished.
}
