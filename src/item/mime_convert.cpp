#include "item/mime_convert.h"

#include "item/clipboard_logging.h"
#include "item/clipboard_offer.h"
#include "item/image_store.h"
#include "item/item_limits.h"
#include "item/storage_paths.h"
#include "item/text_helpers.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeData>

namespace {
constexpr int kStreamVersion = QDataStream::Qt_5_6; // 17
constexpr int kMaxPathForExistenceCheck = 260;

QString Md5Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

void FillUrls(CBData &item, const QList<QUrl> &urls)
{
    QStringList paths;
    paths.reserve(urls.size());
    for (const QUrl &u : urls)
        paths << TextHelpers::DecodeLocalFileUrl(u);
    item.type = CQmlTypes::Urls;
    item.val = QVariant::fromValue(urls);
    item.plain = paths.join(QStringLiteral(", "));
}

bool WithinPixelLimit(const QSize &size)
{
    if (qint64(size.width()) * size.height() <= ItemLimits::kMaxImagePixels)
        return true;
    qCWarning(lcClipboard) << "ItemFromOffer"
                           << "image of" << size << "not kept; the limit is"
                           << ItemLimits::kMaxImagePixels << "pixels";
    return false;
}

// Decodes as the toolkit's own clipboard reading would (format from the contents, no
// turning), but only after the header has told a size within the limit: a small file can
// unpack into gigabytes.
QImage DecodeWithinLimit(const QByteArray &encoded)
{
    QBuffer buf;
    buf.setData(encoded);
    buf.open(QIODevice::ReadOnly);
    QImageReader reader(&buf);
    const QSize size = reader.size();
    if (!size.isValid()) {
        qCWarning(lcClipboard) << "ItemFromOffer"
                               << "image of unknown size not kept" << reader.errorString();
        return QImage();
    }
    return WithinPixelLimit(size) ? reader.read() : QImage();
}

void FillImage(CBData &item, const ClipboardOffer &offer, QString *store_error)
{
    const QImage image = offer.encoded.isEmpty()
                             ? (WithinPixelLimit(offer.image.size()) ? offer.image : QImage())
                             : DecodeWithinLimit(offer.encoded);
    if (image.isNull())
        return;
    const EncodedImage enc = EncodeImage(image);
    // An item whose image is not on disk would show and paste nothing.
    const QString error = ImageStore::Write(enc.md5, enc.png, image);
    if (!error.isEmpty()) {
        qCWarning(lcClipboard) << "ItemFromOffer"
                               << "image not kept, it could not be stored:"
                               << StoragePaths::ImgPath(enc.md5) << error;
        if (store_error)
            *store_error = error;
        return;
    }
    item.md5 = enc.md5;
    item.type = CQmlTypes::Image;
    item.val = enc.md5;
    item.plain = QStringLiteral("Image");
}

// Only what names a place on its own counts as a path: a bare word such as "Documents"
// would otherwise name whatever lies in the program's working folder.
QString LocalPathOf(const QString &text)
{
    if (QDir::isAbsolutePath(text))
        return text;
    if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(text);
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return QString();
}

void FillText(CBData &item, const QString &text)
{
    item.plain = text;
    item.type = CQmlTypes::Text;
    item.val = text;
    const QColor color = TextHelpers::ColorFromText(text);
    if (color.isValid()) {
        item.type = CQmlTypes::Color;
        item.val = color;
        return;
    }
    const QString t = text.trimmed();
    if (t.size() >= kMaxPathForExistenceCheck)
        return;
    const QString path = LocalPathOf(t);
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        item.type = CQmlTypes::Urls;
        item.val = QVariant::fromValue(QList<QUrl>{QUrl::fromLocalFile(path)});
    }
}
} // namespace

EncodedImage EncodeImage(const QImage &image)
{
    QByteArray stream_form;
    {
        QDataStream s(&stream_form, QIODevice::WriteOnly);
        s.setVersion(kStreamVersion);
        // What QVariant(QImage) streams: type id, null flag, then the image's own marker.
        s << quint32(QMetaType::QImage) << qint8(0) << qint32(image.isNull() ? 0 : 1);
    }
    EncodedImage out;
    if (!image.isNull()) {
        QBuffer buf(&out.png);
        buf.open(QIODevice::WriteOnly);
        QImageWriter writer(&buf, "png");
        writer.write(image);
        stream_form += out.png;
    }
    out.md5 = Md5Hex(stream_form);
    return out;
}

QString GetVariantMd5(const QVariant &v)
{
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    s.setVersion(kStreamVersion);
    s << v;
    return Md5Hex(bytes);
}

CBData ItemFromOffer(const ClipboardOffer &offer, QString *store_error)
{
    RegisterItemMetaTypes();
    CBData item;
    switch (offer.kind) {
    case ClipboardOffer::Urls:
        FillUrls(item, offer.urls);
        break;
    case ClipboardOffer::Image:
        FillImage(item, offer, store_error);
        break;
    case ClipboardOffer::Html:
        item.type = CQmlTypes::Html;
        item.val = offer.html;
        item.plain = offer.text;
        break;
    case ClipboardOffer::Color:
        item.type = CQmlTypes::Color;
        item.val = offer.color;
        item.plain = offer.text;
        break;
    case ClipboardOffer::Text:
        FillText(item, offer.text);
        break;
    case ClipboardOffer::Nothing:
    case ClipboardOffer::Secret:
        break;
    }
    if (item.md5.isEmpty())
        item.md5 = GetVariantMd5(item.val);
    ShareTextValue(item);
    return item;
}

CBData GetCBDataFromMime(const QMimeData *mime)
{
    return ItemFromOffer(ReadClipboardOffer(mime));
}

QMimeData *GetMimeFromCBData(const CBData &data)
{
    auto *mime = new QMimeData;
    switch (data.type) {
    case CQmlTypes::Urls: {
        const QList<QUrl> urls = data.val.value<QList<QUrl>>();
        mime->setUrls(urls);
        // As text, one path per line: what a terminal or an editor expects.
        QStringList paths;
        for (const QUrl &u : urls)
            paths << u.toLocalFile();
        if (!urls.isEmpty())
            mime->setText(paths.join(QLatin1Char('\n')));
        break;
    }
    case CQmlTypes::Html:
        mime->setHtml(data.val.toString());
        mime->setText(data.plain.toString());
        break;
    case CQmlTypes::Image: {
        const QString p = StoragePaths::ImgPath(data.val.toString());
        // The picture alone. Its stored file's address would reach editors as text too (the
        // X11 toolkit offers every address list as plain text), and an editor would insert
        // the path of the program's store.
        mime->setImageData(QImage(p));
        break;
    }
    case CQmlTypes::Color:
        mime->setColorData(QVariant(data.val.toString()));
        mime->setText(data.plain.toString());
        break;
    case CQmlTypes::Text:
        mime->setText(data.val.toString());
        break;
    default:
        qCDebug(lcClipboard) << Q_FUNC_INFO << "unknown type" << data.type;
        break;
    }
    return mime;
}
