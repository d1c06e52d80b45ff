#pragma once

// Helpers of the history file tests: streams assembled field by field, sample items with the
// hand-written stream form of their values, and ways to run the reader under watch.
#include "item/cbdata.h"
#include "item/history_file.h"

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <QVector>

class CCilpboardListModel;

// Big-endian fields as a Qt 5.6 data stream encodes them.
class Bytes
{
public:
    Bytes &i8(int v)
    {
        m_data.append(char(v));
        return *this;
    }
    Bytes &u16(quint16 v) { return i8(v >> 8).i8(v & 0xFF); }
    Bytes &u32(quint32 v) { return u16(quint16(v >> 16)).u16(quint16(v & 0xFFFF)); }
    Bytes &raw(const QByteArray &b)
    {
        m_data.append(b);
        return *this;
    }
    // 32-bit byte length (all ones for a null string), then UTF-16 code units.
    Bytes &str(const QString &s)
    {
        if (s.isNull())
            return u32(0xFFFFFFFFu);
        u32(quint32(s.size() * 2));
        for (QChar c : s)
            u16(c.unicode());
        return *this;
    }
    Bytes &blob(const QByteArray &b) { return u32(quint32(b.size())).raw(b); }

    // QVariant: 32-bit type id, null flag, value.
    Bytes &invalidVal() { return u32(0).i8(1); }
    Bytes &stringVal(const QString &s) { return u32(10).i8(0).str(s); }
    Bytes &colorVal(int spec, quint16 a, quint16 r, quint16 g, quint16 b)
    {
        return u32(67).i8(0).i8(spec).u16(a).u16(r).u16(g).u16(b).u16(0);
    }
    Bytes &urlsVal(const QList<QByteArray> &encoded)
    {
        u32(1024).i8(0).blob(QByteArray("QList<QUrl>", 12)).u32(quint32(encoded.size()));
        for (const QByteArray &e : encoded)
            blob(e);
        return *this;
    }

    // The layout with a version byte (1) or the oldest one without it (0).
    Bytes &header(int version, quint32 count)
    {
        raw(QByteArray::fromHex("a4b3c2d1"));
        if (version == 1)
            i8(1);
        return u32(count);
    }

    int size() const { return m_data.size(); }
    const QByteArray &data() const { return m_data; }

private:
    QByteArray m_data;
};

QString Key(const char *seed); // an md5 key, 32 lower-case hexadecimal digits

// An item and its value's stream form, written out by hand.
struct Sample
{
    CBData item;
    QByteArray val;
};

Sample Make(int type, const QString &plain, const QString &md5, const QVariant &val,
            const QByteArray &val_bytes, const QString &selected = QString(), int fav = -1);
Sample TextSample(const QString &text, const char *seed);
// Display order: A (row 0), B, C; with `all` also an image, HTML and an unknown item.
QVector<Sample> Samples(bool all);

Bytes &Record(Bytes &b, const Sample &s, int version);
// A whole file, records oldest (last row) first; `ends` gets each header/record end offset.
QByteArray FileOf(const QVector<Sample> &rows, int version, QVector<int> *ends = nullptr);

// Every field, stored or not, so a comparison shows exactly what differs.
QString Describe(const CBData &d);
QStringList Describe(const QVector<CBData> &rows);
// What the reader must yield for these samples: the stored fields, initial values elsewhere.
QStringList Expected(const QVector<Sample> &samples, int version);

// Makes `m` a mirror list (it never writes the local history files on its own) holding rows.
void Fill(CCilpboardListModel &m, const QVector<Sample> &rows);

HistoryFile::ReadResult ReadBytes(const QByteArray &bytes);
// Reads in a child process whose address space may grow by only `budget_mb` (plus heap space
// already reserved): on this large machine an allocation of gigabytes would otherwise succeed
// and go unnoticed. Returns rows read, records dropped and whether reading stopped early, or
// an empty list when the child did not finish normally.
QList<int> ReadWithinBudget(const QByteArray &bytes, int budget_mb);

QRegularExpression Exactly(const QString &text);

// The unit test command turns debug lines off; some texts checked here are debug lines.
class ClipboardDebugLines
{
public:
    ClipboardDebugLines() { Set(true); }
    ~ClipboardDebugLines() { Set(false); }

private:
    static void Set(bool on);
};

Q_DECLARE_METATYPE(QVector<Sample>)
