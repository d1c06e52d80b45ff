#include "clipboard/clipboard_abstract.h"

#include "clipboard/mime_convert.h"
#include "clipboard/text_helpers.h"

#include <QGuiApplication>
#include <QMimeData>

const QMimeData *CClipboardAbstract::mimeData() const
{
    return QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
}

void CClipboardAbstract::setText(const QString &text, bool roll2top)
{
    auto *mime = new QMimeData;
    mime->setText(text);
    setMimeData(mime, roll2top);
}

void CClipboardAbstract::setHtml(const QString &html, bool roll2top)
{
    auto *mime = new QMimeData;
    mime->setHtml(html);
    mime->setText(TextHelpers::HtmlToPlain(html));
    setMimeData(mime, roll2top);
}

void CClipboardAbstract::setImage(const QImage &image, bool roll2top)
{
    auto *mime = new QMimeData;
    mime->setImageData(image);
    setMimeData(mime, roll2top);
}

void CClipboardAbstract::setMimeData(QMimeData *mime, bool roll2top)
{
    if (roll2top)
        mime->setProperty(ClipboardMarkers::kRoll2Top, QStringLiteral("true"));
    QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
}

void CClipboardAbstract::writeBackItem(const CBData &item, bool roll2top)
{
    QMimeData *mime = GetMimeFromCBData(item);
    mime->setProperty(ClipboardMarkers::kFilter, QStringLiteral("true"));
    mime->setProperty(ClipboardMarkers::kItemMd5, item.md5);
    setMimeData(mime, roll2top);
}
