#include "clipboard/write_back.h"

#include "item/mime_convert.h"
#include "os/clipboard_abstract.h"
#include "os/os_abstract.h"

#include <QMimeData>

namespace WriteBack {

void Item(const CBData &item, bool roll2top)
{
    QMimeData *mime = GetMimeFromCBData(item);
    // The program then knows what the clipboard holds without reading it.
    mime->setProperty(ClipboardMarkers::kItemMd5, item.md5);
    Mime(mime, roll2top);
}

void Mime(QMimeData *mime, bool roll2top)
{
    mime->setProperty(ClipboardMarkers::kFilter, QStringLiteral("true"));
    OsInstance()->ClipboardWatcher()->setMimeData(mime, roll2top);
}

} // namespace WriteBack
