// Pinning, favourites and putting items back on the clipboard.
#include "clipboard/clipboard_manager.h"

#include "clipboard/write_back.h"
#include "item/clipboard_logging.h"
#include "item/mime_convert.h"
#include "item/storage_paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QMimeData>

namespace {
constexpr int kMaxFavourites = 9;
} // namespace

void CClipboardManager::pinItem(int real_index)
{
    if (real_index < 0 || real_index >= m_model.rowCount()) {
        qCWarning(lcClipboard) << Q_FUNC_INFO << __LINE__ << real_index;
        return;
    }
    const CBData copy = m_model.item(real_index);
    if (m_modelPin.indexOfMD5(copy.md5) != -1) {
        pinRmItem(&m_model, real_index);
        return;
    }
    m_model.setRowData(real_index, true, CCilpboardListModel::PinStatusRole);
    m_modelPin.prependItem(copy);
    m_modelPin.renumberFavourites();
}

void CClipboardManager::pinRmItem(CCilpboardListModel *model, int real_index)
{
    if (!model || real_index < 0 || real_index >= model->rowCount()) {
        qCWarning(lcClipboard) << Q_FUNC_INFO << __LINE__ << real_index;
        return;
    }
    // Rows of the other lists are found by the item's identity, never by the row number,
    // which belongs to the list passed in (the Pin list, the Clipboard list or a host's).
    const QString md5 = model->getMd5(real_index);
    const int pin_row = model == &m_modelPin ? real_index : m_modelPin.indexOfMD5(md5);
    const int cb_row = model == &m_model ? real_index : m_model.indexOfMD5(md5);
    if (cb_row != -1)
        m_model.setRowData(cb_row, false, CCilpboardListModel::PinStatusRole);
    if (pin_row == -1) {
        qCWarning(lcClipboard) << Q_FUNC_INFO << __LINE__ << model->isPin() << real_index;
        return;
    }
    const int fav = m_modelPin.getFav(pin_row);
    m_modelPin.removeItem(pin_row);
    if (fav != -1)
        m_modelPin.renumberFavourites();
}

void CClipboardManager::setIndexFavor(int pin_model_index)
{
    if (pin_model_index < 0 || pin_model_index >= m_modelPin.rowCount())
        return;
    if (m_modelPin.getFav(pin_model_index) != -1) {
        m_modelPin.setRowData(pin_model_index, -1, CCilpboardListModel::FavNumRole);
        m_modelPin.renumberFavourites();
        return;
    }
    int d = 0;
    for (const CBData &item : m_modelPin.items())
        d = qMax(d, item.fav_num);
    if (d + 1 > kMaxFavourites) {
        emit sigShowToast4Main(
            QCoreApplication::translate("Global", "You may have 9 favorate items at max."));
        return;
    }
    m_modelPin.setRowData(pin_model_index, d + 1, CCilpboardListModel::FavNumRole);
    m_modelPin.renumberFavourites();
}

void CClipboardManager::copyPinItem2Main(int pin_index)
{
    if (pin_index < 0 || pin_index >= m_modelPin.rowCount())
        return;
    CBData copy = m_modelPin.item(pin_index);
    const int row = m_model.indexOfMD5(copy.md5);
    if (row != -1) {
        m_model.moveRow2Top(row, true);
        return;
    }
    WriteBack::Item(copy, true);
    copy.pin_status = true;
    m_model.prependItem(copy);
}

void CClipboardManager::copyRemoteItem2Main(CCilpboardListModel *model, int index)
{
    if (!model) {
        qCWarning(lcClipboard) << Q_FUNC_INFO << __LINE__ << "no model";
        return;
    }
    if (index < 0 || index >= model->rowCount())
        return;
    CBData copy = model->item(index);
    const int row = m_model.indexOfMD5(copy.md5);
    if (row != -1) {
        m_model.moveRow2Top(row, true);
        return;
    }
    QMimeData *mime = GetMimeFromCBData(copy);
    if (copy.type == CQmlTypes::Image) {
        const QUrl remote = model->getImgUrl(copy.md5);
        const QString local = StoragePaths::ImgPath(copy.md5);
        mime->setText(remote.toString());
        mime->setUrls({remote});
        if (!QFile::exists(local) && QFile::copy(remote.toLocalFile(), local))
            mime->setImageData(QImage(local)); // the first read found no local copy yet
    }
    WriteBack::Mime(mime, true);
    // The host's record knows nothing of this side's Pin list.
    copy.pin_status = m_modelPin.indexOfMD5(copy.md5) != -1;
    m_model.prependItem(copy);
}
