// Clipboard actions of the interface utilities: copies and the quick paste.
#include "clipboard/qml_helper.h"

#include "clipboard/clipboard_list_model.h"
#include "clipboard/clipboard_manager.h"
#include "clipboard/write_back.h"
#include "os/clipboard_abstract.h"
#include "os/os_abstract.h"
#include "settings/settings_helper.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImageIOHandler>
#include <QImageReader>
#include <QMimeData>
#include <QTimer>

namespace {
constexpr QSize kCopyImageBound(900, 600);
// The clipboard normally reports within one poll; never hang the paste on a lost event.
constexpr int kClipboardWaitMs = 1000;
} // namespace

void CQmlHelper::copyPlainText(const QString &text)
{
    OsInstance()->ClipboardWatcher()->setText(text, true);
}

void CQmlHelper::copySecretText(const QString &text)
{
    auto *mime = new QMimeData;
    mime->setText(text);
    mime->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
    OsInstance()->ClipboardWatcher()->setMimeData(mime, false);
}

void CQmlHelper::copyHtml(const QString &text)
{
    OsInstance()->ClipboardWatcher()->setHtml(text, true);
}

void CQmlHelper::copyImgFromUrl(CCilpboardListModel *m, int index)
{
    if (!m || index < 0 || index >= m->rowCount())
        return;
    const QList<QUrl> urls = toUrlList(m->getVal(index));
    if (urls.isEmpty())
        return;
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    QImageReader reader(urls.first().toLocalFile());
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    QSize size = reader.size();
    if (turned)
        size.transpose();
    if (size.height() > kCopyImageBound.height() || size.width() > kCopyImageBound.width()) {
        size.scale(kCopyImageBound, Qt::KeepAspectRatio);
        // The reader scales before it turns the picture upright.
        reader.setScaledSize(turned ? size.transposed() : size);
    }
    const QImage image = reader.read();
    OsInstance()->ClipboardWatcher()->setImage(image, true);
    QGuiApplication::restoreOverrideCursor();
}

void CQmlHelper::pasteFromQuickPaste(CCilpboardListModel *model, int index)
{
    if (!model || index < 0 || index >= model->rowCount())
        return;
    CClipboardManager *mgr = CClipboardManager::instance();
    CCilpboardListModel *main = mgr->clipboardModel();
    CClipboardAbstract *watcher = OsInstance()->ClipboardWatcher();

    // The clipboard already holds the item only if it holds the top item as captured: after
    // a copy that was not kept (a secret) the top row is no longer what a paste would give.
    const bool is_top =
        (model == main && index == 0) || (model == mgr->pinModel() && main->rowCount() > 0 &&
                                          model->getMd5(index) == main->getMd5(0));
    const bool must_write = !(is_top && mgr->clipboardHoldsTopItem());

    if (must_write) {
        QEventLoop loop;
        connect(watcher, &CClipboardAbstract::changed, &loop, &QEventLoop::quit);
        QTimer::singleShot(kClipboardWaitMs, &loop, &QEventLoop::quit);
        WriteBack::Item(model->item(index), false);
        loop.exec();
    }
    CSettingsHelper *ini = CSettingsHelper::instance();
    OsInstance()->setPasteKeysByClass(ini->getIni(ini->paste_keys_by_class()).toString());
    // The pasted item stays on the clipboard. Putting the history's newest item back once
    // the target has read cannot be timed safely: editors read the clipboard on every change
    // for purposes of their own (a paste history), so no read shows that the paste itself
    // is done, and an item put back too early is what the target (or the user's own Ctrl+V
    // after a lost keystroke) then pastes.
    OsInstance()->SendPasteKeystroke();
}
