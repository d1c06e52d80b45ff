#include "os/clipboard_abstract.h"

#include "item/text_helpers.h"

#include <QGuiApplication>
#include <QMimeData>

const QMimeData *CClipboardAbstract::mimeData() const
{
    return QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
}

bool CClipboardAbstract::ownsContents() const
{
    return QGuiApplication::clipboard()->ownsClipboard();
}

void CClipboardAbstract::putMimeData(QMimeData *mime)
{
    QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
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
    putMimeData(mime);
}
