#include "clipboard/history_file.h"

#include "clipboard/storage_paths.h"
#include "logging.h"

#include <QColor>
#include <QDataStream>
#include <QIODevice>

namespace HistoryFile {

namespace {
constexpr int kStreamVersion = QDataStream::Qt_5_6;
const QByteArray kUrlListTypeName = QByteArrayLiteral("QList<QUrl>");

QDataStream &Prepare(QDataStream &s)
{
    s.setVersion(kStreamVersion);
    s.setByteOrder(QDataStream::BigEndian);
    return s;
}

enum class ValueRead { Ok, ForeignType, Corrupt };

// Reads a QVariant by hand, admitting only the value types the program writes. The
// toolkit's own reader would construct any registered type (and reserve a URL list's
// claimed length up front), which untrusted input must not be able to trigger.
ValueRead ReadValue(QDataStream &s, QVariant &out)
{
    quint32 type_id = 0;
    qint8 is_null = 0;
    s >> type_id >> is_null;
    if (s.status() != QDataStream::Ok)
        return ValueRead::Corrupt;
    switch (type_id) {
    case QMetaType::UnknownType:
        out = QVariant();
        break;
    case QMetaType::QString: {
        QString str;
        s >> str;
        out = str;
        break;
    }
    case QMetaType::QColor: {
        QColor color;
        s >> color;
        out = color;
        break;
    }
    case QMetaType::User: {
        QByteArray name;
        s >> name;
        if (s.status() != QDataStream::Ok)
            return ValueRead::Corrupt;
        if (name != kUrlListTypeName + '\0' && name != kUrlListTypeName)
            return ValueRead::ForeignType;
        quint32 count = 0;
        s >> count;
        QList<QUrl> urls;
        for (quint32 i = 0; i < count && s.status() == QDataStream::Ok; ++i) {
            QUrl url;
            s >> url;
            urls.append(url);
        }
        RegisterUrlListMetaType();
        out = QVariant::fromValue(urls);
        break;
    }
    default:
        return ValueRead::ForeignType;
    }
    return s.status() == QDataStream::Ok ? ValueRead::Ok : ValueRead::Corrupt;
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

void Write(QIODevice &dev, const QVector<CBData> &rows)
{
    RegisterUrlListMetaType();
    QDataStream s(&dev);
    Prepare(s);
    s << qint32(kMagic) << kVersion << qint32(rows.size());
    for (int i = rows.size() - 1; i >= 0; --i) {
        const CBData &r = rows.at(i);
        s << qint32(r.type) << r.plain << r.md5 << r.val << r.selected << qint32(r.fav_num);
    }
}

ReadResult Read(QIODevice &dev)
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

    QVector<CBData> oldest_first;
    while (!s.atEnd() && s.status() == QDataStream::Ok) {
        CBData item;
        qint32 type = 0;
        s >> type >> item.plain >> item.md5;
        item.type = type;
        if (s.status() != QDataStream::Ok)
            break;
        const ValueRead v = ReadValue(s, item.val);
        if (v != ValueRead::Ok) {
            // A foreign value's size is unknown, so nothing after it can be trusted.
            if (v == ValueRead::ForeignType)
                ++res.dropped;
            res.truncated = true;
            break;
        }
        s >> item.selected;
        if (version == kVersion) {
            qint32 fav = -1;
            s >> fav;
            item.fav_num = fav;
        }
        if (s.status() != QDataStream::Ok)
            break;
        if (!IsAcceptable(item)) {
            ++res.dropped;
            continue;
        }
        oldest_first.append(item);
    }
    res.truncated = res.truncated || s.status() != QDataStream::Ok;
    res.rows = QVector<CBData>(oldest_first.crbegin(), oldest_first.crend());
    return res;
}

} // namespace HistoryFile
