#include "item/clipboard_offer.h"

#include "item/clipboard_logging.h"
#include "item/item_limits.h"
#include "item/text_helpers.h"

#include <QImageReader>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace {
const QString kUriList = QStringLiteral("text/uri-list");
const QString kImage = QStringLiteral("application/x-qt-image");
const QString kPng = QStringLiteral("image/png");
const QString kHtml = QStringLiteral("text/html");
const QString kColor = QStringLiteral("application/x-color");
const QString kPlain = QStringLiteral("text/plain");
const QString kPlainUtf8 = QStringLiteral("text/plain;charset=utf-8");
const QString kSecretFormat = QStringLiteral("x-kde-passwordManagerHint");
const QString kRtf = QStringLiteral("text/rtf");
const QString kRichText = QStringLiteral("text/richtext");

// MIME's text rules ask for CRLF in "text/plain", and GTK serves it so (its UTF8_STRING has
// LF), while the toolkit reads "text/plain" first. What the user wrote has LF here: the same
// text copied from two programs must be one item, and a copied path no stray CR.
QString PlatformLineEnds(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

QString ReadText(const QMimeData *mime, const QStringList &formats)
{
    if (!formats.contains(kPlain) && !formats.contains(kPlainUtf8))
        return QString();
    return PlatformLineEnds(mime->text());
}

// The encoded form to read an image in: PNG first, as the toolkit itself prefers, then any
// other form it can decode. Empty for contents that hold a decoded image.
QString EncodedImageFormat(const QStringList &formats)
{
    if (formats.contains(kPng))
        return kPng;
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    for (const QByteArray &type : readable) {
        if (formats.contains(QString::fromLatin1(type)))
            return QString::fromLatin1(type);
    }
    return QString();
}

bool TooLong(qint64 length, const QStringList &formats)
{
    if (length <= ItemLimits::kMaxTextLength)
        return false;
    qCWarning(lcClipboard) << "ReadClipboardOffer"
                           << "text of" << length << "characters not kept; the limit is"
                           << ItemLimits::kMaxTextLength << formats;
    return true;
}

void ReadUrls(const QMimeData *mime, ClipboardOffer &o)
{
    o.urls = mime->urls();
    const bool all_local =
        std::all_of(o.urls.cbegin(), o.urls.cend(), [](const QUrl &u) { return u.isLocalFile(); });
    if (!all_local) {
        o.text = ReadText(mime, o.formats);
        o.kind = TooLong(o.text.size(), o.formats) ? ClipboardOffer::Nothing : ClipboardOffer::Text;
        return;
    }
    if (o.urls.size() > ItemLimits::kMaxUrls) {
        qCWarning(lcClipboard) << "ReadClipboardOffer" << o.urls.size()
                               << "files not kept; the limit is" << ItemLimits::kMaxUrls;
        return;
    }
    o.kind = ClipboardOffer::Urls;
}

void ReadImage(const QMimeData *mime, ClipboardOffer &o)
{
    const QString format = EncodedImageFormat(o.formats);
    if (format.isEmpty()) {
        o.image = qvariant_cast<QImage>(mime->imageData());
    } else {
        // Read as sent: the size is checked before anything is decoded.
        o.encoded = mime->data(format);
        if (o.encoded.isEmpty()) {
            qCDebug(lcClipboard) << "image offered as" << format << "but none came";
            return;
        }
    }
    o.kind = ClipboardOffer::Image;
}

void ReadHtml(const QMimeData *mime, ClipboardOffer &o)
{
    o.html = mime->html();
    if (TooLong(o.html.size(), o.formats))
        return;
    if (o.text.isEmpty())
        o.text = ReadText(mime, o.formats);
    // Some programs offer HTML alone; its text is what a plain paste would give. Pictures
    // become placeholder characters there, which are no text.
    if (o.text.isEmpty()) {
        o.text = TextHelpers::HtmlToPlain(o.html).remove(QChar::ObjectReplacementCharacter);
        if (o.text.trimmed().isEmpty())
            o.text.clear();
    }
    if (TooLong(qint64(o.html.size()) + o.text.size(), o.formats))
        return;
    o.kind = ClipboardOffer::Html;
}
// Text that is one address and nothing else, as a browser's "Copy Image" gives beside the
// picture.
bool IsSingleAddress(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || std::any_of(t.cbegin(), t.cend(), [](QChar c) { return c.isSpace(); }))
        return false;
    const QUrl url(t, QUrl::StrictMode);
    return url.isValid() && url.scheme().size() > 1;
}

// Office suites offer a picture of the copied selection beside its rich and plain text:
// the text is what was copied. Reads the plain text into `o` when it decides so.
bool IsRenderedSelection(const QMimeData *mime, ClipboardOffer &o)
{
    if (!o.formats.contains(kHtml) && !o.formats.contains(kRtf) && !o.formats.contains(kRichText))
        return false;
    const QString text = ReadText(mime, o.formats);
    if (text.trimmed().isEmpty())
        return false;
    // A browser's image copy has the address as text and, as HTML, the picture alone; a
    // spreadsheet cell that holds an address has it in the HTML's text too.
    if (IsSingleAddress(text) &&
        (!o.formats.contains(kHtml) || TextHelpers::HtmlToPlain(mime->html())
                                           .remove(QChar::ObjectReplacementCharacter)
                                           .trimmed()
                                           .isEmpty()))
        return false;
    o.text = text;
    return true;
}
} // namespace

ClipboardOffer ReadClipboardOffer(const QMimeData *mime)
{
    ClipboardOffer o;
    if (!mime)
        return o;
    // The one question about the list. An owner that never answers leaves it empty, and the
    // toolkit would ask again, one time-out each, for every further question.
    o.formats = mime->formats();
    if (o.formats.isEmpty()) {
        qCDebug(lcClipboard) << "clipboard offers nothing, or its owner did not answer";
        return o;
    }
    if (o.formats.contains(kSecretFormat) &&
        mime->data(kSecretFormat).trimmed() == QByteArrayLiteral("secret")) {
        o.kind = ClipboardOffer::Secret;
    } else if (o.formats.contains(kUriList)) {
        ReadUrls(mime, o);
    } else if (o.formats.contains(kImage) && !IsRenderedSelection(mime, o)) {
        ReadImage(mime, o);
    } else if (o.formats.contains(kImage) && !o.formats.contains(kHtml)) {
        // A picture beside rich text other than HTML: the plain text is the item.
        if (!TooLong(o.text.size(), o.formats))
            o.kind = ClipboardOffer::Text;
    } else if (o.formats.contains(kHtml)) {
        ReadHtml(mime, o);
    } else if (o.formats.contains(kColor)) {
        o.color = mime->colorData();
        o.text = ReadText(mime, o.formats);
        o.kind = ClipboardOffer::Color;
    } else if (o.formats.contains(kPlain) || o.formats.contains(kPlainUtf8)) {
        o.text = ReadText(mime, o.formats);
        if (!TooLong(o.text.size(), o.formats))
            o.kind = ClipboardOffer::Text;
    } else {
        qCWarning(lcClipboard).noquote() << "GetCBDataFromMime"
                                         << "Unknown"
                                         << "(" + o.formats.join(QStringLiteral(", ")) + ")";
    }
    return o;
}
