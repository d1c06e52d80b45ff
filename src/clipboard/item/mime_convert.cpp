#include "item/mime_convert.h"

#include "item/clipboard_logging.h"
#include "item/storage_paths.h"
#include "item/text_helpers.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QMimeData>

namespace {
constexpr int kStreamVersion = QDataStream::Qt_5_6; // 17
constexpr int kMaxPathForExistenceCheck = 260;
const QString kSecretFormat = QStringLiteral("x-kde-passwordManagerHint");

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

void FillImage(CBData &item, const QVariant &image_data)
{
    const QImage image = qvariant_cast<QImage>(image_data);
    const EncodedImage enc = EncodeImage(image);
    item.md5 = enc.md5;
    item.type = CQmlTypes::Image;
    item.val = enc.md5;
    item.plain = QStringLiteral("Image");
    QFile file(StoragePaths::ImgPath(enc.md5));
    if (!enc.png.isEmpty() && file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(enc.png);
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
    if (t.size() < kMaxPathForExistenceCheck && QFileInfo::exists(t)) {
        item.type = CQmlTypes::Urls;
        item.val = QVariant::fromValue(QList<QUrl>{QUrl::fromLocalFile(t)});
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

bool IsSecretMime(const QMimeData *mime)
{
    return mime && mime->hasFormat(kSecretFormat) &&
           mime->data(kSecretFormat).trimmed() == QByteArrayLiteral("secret");
}

CBData GetCBDataFromMime(const QMimeData *mime)
{
    RegisterUrlListMetaType();
    CBData item;
    if (mime->hasUrls()) {
        const QList<QUrl> urls = mime->urls();
        const bool all_local =
            std::all_of(urls.cbegin(), urls.cend(), [](const QUrl &u) { return u.isLocalFile(); });
        if (all_local) {
            FillUrls(item, urls);
        } else {
            item.type = CQmlTypes::Text;
            item.plain = mime->text();
            item.val = item.plain;
        }
    } else if (mime->hasImage()) {
        FillImage(item, mime->imageData());
    } else if (mime->hasHtml()) {
        item.type = CQmlTypes::Html;
        item.val = mime->html();
        item.plain = mime->text();
    } else if (mime->hasColor()) {
        item.type = CQmlTypes::Color;
        item.val = mime->colorData();
        item.plain = mime->text();
    } else if (mime->hasText()) {
        FillText(item, mime->text());
    } else if (!mime->formats().isEmpty()) { // an empty clipboard is not worth a warning
        qCWarning(lcClipboard).noquote() << Q_FUNC_INFO << "Unknown"
                                         << "(" + mime->formats().join(QStringLiteral(", ")) + ")";
    }
    if (item.md5.isEmpty())
        item.md5 = GetVariantMd5(item.val);
    return item;
}

QMimeData *GetMimeFromCBData(const CBData &data)
{
    auto *mime = new QMimeData;
    switch (data.type) {
    case CQmlTypes::Urls: {
        const QList<QUrl> urls = data.val.value<QList<QUrl>>();
        mime->setUrls(urls);
        QString text;
        for (const QUrl &u : urls)
            text += u.toLocalFile() + QLatin1Char(';');
        if (!text.isEmpty())
            mime->setText(text);
        break;
    }
    case CQmlTypes::Html:
        mime->setHtml(data.val.toString());
        mime->setText(data.plain);
        break;
    case CQmlTypes::Image: {
        const QString p = StoragePaths::ImgPath(data.val.toString());
        mime->setImageData(QImage(p));
        mime->setText(p);
        mime->setUrls({QUrl::fromLocalFile(p)});
        break;
    }
    case CQmlTypes::Color:
        mime->setColorData(QVariant(data.val.toString()));
        mime->setText(data.plain);
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
