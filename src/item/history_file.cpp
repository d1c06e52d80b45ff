#include "item/history_file.h"

#include "item/clipboard_logging.h"
#include "item/file_replace.h"
#include "item/item_limits.h"
#include "item/storage_paths.h"

#include <QColor>
#include <QDataStream>
#include <QIODevice>

#include <climits>
#include <deque>

namespace HistoryFile {

namespace {
constexpr int kStreamVersion = QDataStream::Qt_5_6;
const QByteArray kUrlListTypeName = QByteArrayLiteral("QList<QUrl>");
// A colour's stream form: spec byte, then alpha and four components as 16-bit values.
constexpr int kColorBytes = 11;

QDataStream &Prepare(QDataStream &s)
{
    s.setVersion(kStreamVersion);
    s.setByteOrder(QDataStream::BigEndian);
    return s;
}

// With max_chars above 0, a text longer than that is read as its first
// ItemLimits::kPreviewChars characters; the rest is skipped, never held.
void ReadText(QDataStream &s, QString &out, int max_chars)
{
    if (max_chars <= 0) {
        s >> out;
        return;
    }
    quint32 bytes = 0;
    s >> bytes;
    if (s.status() != QDataStream::Ok)
        return;
    if (bytes == 0xFFFFFFFFu) {
        out = QString();
        return;
    }
    if (bytes % 2 != 0) {
        s.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    const quint32 chars = bytes / 2;
    const int keep = chars > quint32(max_chars) ? ItemLimits::kPreviewChars : int(chars);
    QByteArray raw(keep * 2, Qt::Uninitialized);
    if (s.readRawData(raw.data(), raw.size()) != raw.size()) {
        s.setStatus(QDataStream::ReadPastEnd);
        return;
    }
    out.resize(keep);
    for (int i = 0; i < keep; ++i)
        out[i] = QChar(ushort((uchar(raw.at(2 * i)) << 8) | uchar(raw.at(2 * i + 1))));
    for (qint64 rest = qint64(bytes) - raw.size(); rest > 0;) {
        const int step = int(qMin<qint64>(rest, 1 << 20));
        if (s.skipRawData(step) != step) {
            s.setStatus(QDataStream::ReadPastEnd);
            return;
        }
        rest -= step;
    }
}

bool IsUrlList(const QVariant &v)
{
    return v.userType() == qMetaTypeId<QList<QUrl>>();
}

// The value types the reader admits; any other has a size the reader cannot know.
bool IsStorable(const QVariant &v)
{
    const int t = v.userType();
    return !v.isValid() || t == QMetaType::QString || t == QMetaType::QColor || IsUrlList(v);
}

// Refused: a value of an admitted type that no item can hold; its size is known, so the
// record is dropped and reading goes on. ForeignType and Corrupt end the reading.
enum class ValueRead
{
    Ok,
    Refused,
    ForeignType,
    Corrupt
};

ValueRead ReadColor(QDataStream &s, QVariant &out)
{
    // The toolkit stores the spec byte unchecked, which would make a colour whose spec is
    // none of the enumeration's values; such a value is skipped instead.
    char spec = 0;
    if (s.device()->peek(&spec, 1) == 1 && (spec < QColor::Invalid || spec > QColor::ExtendedRgb))
        return s.skipRawData(kColorBytes) == kColorBytes ? ValueRead::Refused : ValueRead::Corrupt;
    QColor color;
    s >> color;
    out = color;
    return ValueRead::Ok;
}

// A URL is stored as the byte array of its encoded form; skipping one costs no memory.
bool SkipUrl(QDataStream &s)
{
    quint32 len = 0;
    s >> len;
    if (s.status() != QDataStream::Ok)
        return false;
    return len == 0xFFFFFFFFu || s.skipRawData(int(qMin<quint32>(len, INT_MAX))) == int(len);
}

ValueRead ReadUrlList(QDataStream &s, QVariant &out)
{
    // Element by element: the claimed count is never used to reserve memory. A list longer
    // than an item may be is read past, not kept: each URL costs far more in memory than in
    // the file.
    quint32 count = 0;
    s >> count;
    if (count > quint32(ItemLimits::kMaxUrls)) {
        for (quint32 i = 0; i < count; ++i) {
            if (!SkipUrl(s))
                return ValueRead::Corrupt;
        }
        return ValueRead::Refused;
    }
    QList<QUrl> urls;
    for (quint32 i = 0; i < count && s.status() == QDataStream::Ok; ++i) {
        QUrl url;
        s >> url;
        urls.append(url);
    }
    RegisterItemMetaTypes();
    out = QVariant::fromValue(urls);
    return ValueRead::Ok;
}

// Reads a QVariant by hand, admitting only the value types the program writes. The
// toolkit's own reader would construct any registered type (and reserve a URL list's
// claimed length up front), which untrusted input must not be able to trigger.
ValueRead ReadValue(QDataStream &s, QVariant &out, int max_text_chars)
{
    quint32 type_id = 0;
    qint8 is_null = 0;
    s >> type_id >> is_null;
    if (s.status() != QDataStream::Ok)
        return ValueRead::Corrupt;
    ValueRead res = ValueRead::Ok;
    switch (type_id) {
    case QMetaType::UnknownType:
        out = QVariant();
        break;
    case QMetaType::QString: {
        QString str;
        ReadText(s, str, max_text_chars);
        out = str;
        break;
    }
    case QMetaType::QColor:
        res = ReadColor(s, out);
        break;
    case QMetaType::User: {
        QByteArray name;
        s >> name;
        if (s.status() != QDataStream::Ok)
            return ValueRead::Corrupt;
        if (name != kUrlListTypeName + '\0' && name != kUrlListTypeName)
            return ValueRead::ForeignType;
        res = ReadUrlList(s, out);
        break;
    }
    default:
        return ValueRead::ForeignType;
    }
    return s.status() == QDataStream::Ok ? res : ValueRead::Corrupt;
}

bool IsAcceptable(const CBData &item)
{
    if (item.plain.isEmpty() || !StoragePaths::IsMd5Key(item.md5))
        return false;
    if (item.type < CQmlTypes::Urls || item.type > CQmlTypes::Unknown)
        return false;
    // An image's value names its stored file, so it must be a key, never a path.
    if (item.type == CQmlTypes::Image && !StoragePaths::IsMd5Key(item.val.toString()))
        return false;
    return true;
}
} // namespace

bool Write(QIODevice &dev, const QVector<CBData> &rows)
{
    RegisterItemMetaTypes();
    QDataStream s(&dev);
    Prepare(s);
    s << qint32(kMagic) << kVersion << qint32(rows.size());
    for (int i = rows.size() - 1; i >= 0; --i) {
        const CBData &r = rows.at(i);
        // A value of another type (clipboard colour data can be raw bytes) would end every
        // later reading of the file at this record; its text form keeps the newer items.
        const QVariant val = IsStorable(r.val) ? r.val : QVariant(r.val.toString());
        s << qint32(r.type) << r.plain.toString() << r.md5 << val << r.selected
          << qint32(r.fav_num);
        if (s.status() != QDataStream::Ok)
            return false;
    }
    return s.status() == QDataStream::Ok;
}

QString Save(const QString &path, const QVector<CBData> &rows)
{
    return FileReplace::Write(path, [&rows](QIODevice &dev) { return Write(dev, rows); });
}

ReadResult Read(QIODevice &dev, int max_rows, int max_text_chars)
{
    ReadResult res;
    QDataStream s(&dev);
    Prepare(s);

    qint32 magic = 0;
    s >> magic;
    res.magic = quint32(magic);
    if (s.status() != QDataStream::Ok || res.magic != kMagic) {
        res.status = ReadStatus::BadMagic;
        return res;
    }
    qint8 version = 0;
    s >> version;
    if (version == 0) {
        // Oldest layout: no version byte; this byte began the big-endian record count.
        qCDebug(lcClipboard) << "data version: 1.0" << dev.pos();
        dev.seek(0);
        s.resetStatus();
    } else if (version != kVersion) {
        res.status = ReadStatus::VersionTooNew;
        res.version = version;
        return res;
    }
    res.version = version;
    if (version == 0)
        s >> magic;
    qint32 count = 0;
    s >> count; // carried by the format, not trusted: records are read until the end

    std::deque<CBData> oldest_first;
    while (!s.atEnd() && s.status() == QDataStream::Ok) {
        CBData item;
        qint32 type = 0;
        s >> type;
        QString plain;
        ReadText(s, plain, max_text_chars);
        item.plain = plain;
        ReadText(s, item.md5, max_text_chars);
        item.type = type;
        if (s.status() != QDataStream::Ok)
            break;
        const ValueRead v = ReadValue(s, item.val, max_text_chars);
        if (v == ValueRead::ForeignType || v == ValueRead::Corrupt) {
            // A foreign value's size is unknown, so nothing after it can be trusted.
            if (v == ValueRead::ForeignType)
                ++res.dropped;
            res.truncated = true;
            break;
        }
        ReadText(s, item.selected, max_text_chars);
        if (version == kVersion) {
            qint32 fav = -1;
            s >> fav;
            item.fav_num = fav;
        }
        if (s.status() != QDataStream::Ok)
            break;
        if (v == ValueRead::Refused || !IsAcceptable(item)) {
            ++res.dropped;
            continue;
        }
        ShareTextValue(item);
        oldest_first.push_back(item);
        if (max_rows > 0 && int(oldest_first.size()) > max_rows)
            oldest_first.pop_front();
    }
    res.truncated = res.truncated || s.status() != QDataStream::Ok;
    res.rows = QVector<CBData>(oldest_first.crbegin(), oldest_first.crend());
    return res;
}

} // namespace HistoryFile
