// Clipboard actions of the interface utilities: copies.
#include "clipboard/qml_helper.h"

#include "clipboard/clipboard_list_model.h"
#include "clipboard/quick_paste.h"
#include "os/clipboard_abstract.h"
#include "os/os_abstract.h"

#include <QCursor>
#include <QGuiApplication>
#include <QImageIOHandler>
#include <QImageReader>
#include <QMimeData>

namespace {
constexpr QSize kCopyImageBound(900, 600);
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
    QuickPaste::Paste(model, index);
}

bool CQmlHelper::quickPasteWritesBeforeHide() const
{
    return QuickPaste::WritesBeforeHide();
}

bool CQmlHelper::writeWhileFocused(CCilpboardListModel *model, int index)
{
    return QuickPaste::WriteWhileFocused(model, index);
}

void CQmlHelper::pasteWrittenItem()
{
    QuickPaste::PasteWrittenItem();
}
