// The history file byte for byte: expectations are streams assembled here field by field,
// never the writer's own output, and the reader is fed what a hostile linked host could send.
#include "clipboard/clipboard_list_model.h"
#include "clipboard/history_file.h"
#include "isolated_env.h"

#include <QBuffer>
#include <QColor>
#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <malloc.h>
#include <new>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

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

QString Key(const char *seed)
{
    return QString::fromLatin1(QCryptographicHash::hash(seed, QCryptographicHash::Md5).toHex());
}

// An item and its value's stream form, written out by hand.
struct Sample
{
    CBData item;
    QByteArray val;
};

Sample Make(int type, const QString &plain, const QString &md5, const QVariant &val,
            const QByteArray &val_bytes, const QString &selected = QString(), int fav = -1)
{
    Sample s;
    s.item.type = type;
    s.item.plain = plain;
    s.item.md5 = md5;
    s.item.val = val;
    s.item.selected = selected;
    s.item.fav_num = fav;
    s.val = val_bytes;
    return s;
}

Sample TextSample(const QString &text, const char *seed)
{
    return Make(CQmlTypes::Text, text, Key(seed), text, Bytes().stringVal(text).data(), "0_1_1");
}

// Display order: A (row 0), B, C; with `all` also an image, HTML and an unknown item.
QVector<Sample> Samples(bool all)
{
    RegisterUrlListMetaType();
    const QList<QUrl> urls{QUrl::fromLocalFile("/tmp/a b.txt"),
                           QUrl::fromLocalFile(QString::fromUtf8("/tmp/\xc3\xbc"))};
    QVector<Sample> out{
        TextSample(QString::fromUtf8("alpha \xe2\x98\xba"), "a"),
        Make(CQmlTypes::Color, "#123456", Key("b"), QColor(0x12, 0x34, 0x56),
             Bytes().colorVal(1, 0xFFFF, 0x1212, 0x3434, 0x5656).data(), QString(), 2),
        Make(CQmlTypes::Urls, QString::fromUtf8("/tmp/a b.txt, /tmp/\xc3\xbc"), Key("c"),
             QVariant::fromValue(urls),
             Bytes().urlsVal({"file:///tmp/a%20b.txt", "file:///tmp/%C3%BC"}).data(), "1_0_4"),
    };
    if (all) {
        out << Make(CQmlTypes::Image, "Image", Key("d"), Key("d"),
                    Bytes().stringVal(Key("d")).data(), "90", 1)
            << Make(CQmlTypes::Html, "bold", Key("e"), "<b>bold</b>",
                    Bytes().stringVal("<b>bold</b>").data(), "")
            << Make(CQmlTypes::Unknown, "raw", Key("f"), QVariant(), Bytes().invalidVal().data());
    }
    return out;
}

Bytes &Record(Bytes &b, const Sample &s, int version)
{
    b.u32(quint32(s.item.type)).str(s.item.plain).str(s.item.md5).raw(s.val).str(s.item.selected);
    return version == 1 ? b.u32(quint32(s.item.fav_num)) : b;
}

// A whole file, records oldest (last row) first; `ends` gets each header/record end offset.
QByteArray FileOf(const QVector<Sample> &rows, int version, QVector<int> *ends = nullptr)
{
    Bytes b;
    b.header(version, quint32(rows.size()));
    if (ends)
        *ends << b.size();
    for (int i = rows.size() - 1; i >= 0; --i) {
        Record(b, rows.at(i), version);
        if (ends)
            *ends << b.size();
    }
    return b.data();
}

QString DescribeVal(const QVariant &v)
{
    if (!v.isValid())
        return "invalid";
    if (v.userType() == QMetaType::QString)
        return v.toString().isNull() ? "string:null" : "string:'" + v.toString() + "'";
    if (v.userType() == QMetaType::QColor) {
        const QColor c = v.value<QColor>();
        const QRgba64 x = c.rgba64();
        return QString("color:%1/%2/%3/%4/%5")
            .arg(c.spec())
            .arg(x.alpha())
            .arg(x.red())
            .arg(x.green())
            .arg(x.blue());
    }
    if (v.userType() == qMetaTypeId<QList<QUrl>>()) {
        QStringList urls;
        for (const QUrl &u : v.value<QList<QUrl>>())
            urls << QString::fromLatin1(u.toEncoded());
        return "urls:" + urls.join(' ');
    }
    return QString("other:") + QString::fromLatin1(v.typeName());
}

// Every field, stored or not, so a comparison shows exactly what differs.
QString Describe(const CBData &d)
{
    const auto q = [](const QString &s) {
        return s.isNull() ? QString("null") : "'" + s + "'";
    };
    return QString("type %1 plain %2 md5 %3 val %4 sel %5 fav %6 filter %7 pin %8 vis %9 qp %10")
        .arg(d.type)
        .arg(q(d.plain), q(d.md5), DescribeVal(d.val), q(d.selected))
        .arg(d.fav_num)
        .arg(d.filter_index)
        .arg(d.pin_status)
        .arg(d.is_visible)
        .arg(d.is_visible_qp);
}

QStringList Describe(const QVector<CBData> &rows)
{
    QStringList out;
    for (const CBData &d : rows)
        out << Describe(d);
    return out;
}

// What the reader must yield for these samples: the stored fields, initial values elsewhere.
QStringList Expected(const QVector<Sample> &samples, int version)
{
    QVector<CBData> rows;
    for (const Sample &s : samples) {
        CBData d;
        d.type = s.item.type;
        d.plain = s.item.plain;
        d.md5 = s.item.md5;
        d.val = s.item.val;
        d.selected = s.item.selected;
        d.fav_num = version == 1 ? s.item.fav_num : -1;
        rows << d;
    }
    return Describe(rows);
}

// A mirror list: it never writes the local history files on its own.
void Fill(CCilpboardListModel &m, const QVector<Sample> &rows)
{
    m.setLocal(false);
    for (int i = rows.size() - 1; i >= 0; --i)
        m.prependItem(rows.at(i).item);
}

HistoryFile::ReadResult ReadBytes(const QByteArray &bytes)
{
    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    return HistoryFile::Read(buf);
}

// Reads in a child process whose address space may grow by only `budget_mb` (plus heap space
// already reserved): on this large machine an allocation of gigabytes would otherwise succeed
// and go unnoticed. Returns rows
// read, records dropped and whether reading stopped early, or an empty list when the child
// did not finish normally.
QList<int> ReadWithinBudget(const QByteArray &bytes, int budget_mb)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        // A crash here is reported by the parent, not by the test framework's handlers.
        for (int sig : {SIGABRT, SIGSEGV, SIGBUS, SIGILL, SIGFPE})
            signal(sig, SIG_DFL);
        close(fds[0]);
        QFile statm("/proc/self/statm");
        statm.open(QIODevice::ReadOnly);
        const rlim_t vsz = statm.readAll().split(' ').value(0).toULongLong() * getpagesize();
        const rlimit lim{vsz + rlim_t(budget_mb) * 1024 * 1024, RLIM_INFINITY};
        setrlimit(RLIMIT_AS, &lim);
        try {
            const HistoryFile::ReadResult res = ReadBytes(bytes);
            const int out[3] = {res.rows.size(), res.dropped, res.truncated ? 1 : 0};
            _exit(write(fds[1], out, sizeof out) == ssize_t(sizeof out) ? 0 : 1);
        } catch (const std::bad_alloc &) {
            _exit(2);
        }
    }
    close(fds[1]);
    int got[3] = {-1, -1, -1};
    const bool read_all = read(fds[0], got, sizeof got) == ssize_t(sizeof got);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!read_all || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    return {got[0], got[1], got[2]};
}

QRegularExpression Exactly(const QString &text)
{
    return QRegularExpression("^" + QRegularExpression::escape(text) + "$");
}

QLoggingCategory::CategoryFilter g_defaultFilter = nullptr;
bool g_clipboardDebug = false;

// By name: the filter also runs while the category itself is being constructed.
void ClipboardDebugFilter(QLoggingCategory *category)
{
    if (g_defaultFilter) // null only while this filter is being installed
        g_defaultFilter(category);
    if (g_clipboardDebug && qstrcmp(category->categoryName(), "tolvane.clipboard") == 0)
        category->setEnabled(QtDebugMsg, true);
}

// The unit test command turns debug lines off; some texts checked here are debug lines.
class ClipboardDebugLines
{
public:
    ClipboardDebugLines() { Set(true); }
    ~ClipboardDebugLines() { Set(false); }

private:
    static void Set(bool on)
    {
        g_clipboardDebug = on;
        // Installing applies the filter to every category again.
        const QLoggingCategory::CategoryFilter previous =
            QLoggingCategory::installFilter(ClipboardDebugFilter);
        if (previous != ClipboardDebugFilter)
            g_defaultFilter = previous;
    }
};

} // namespace

Q_DECLARE_METATYPE(QVector<Sample>)

class TestHistoryFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void writerMatchesHandMadeBytes_data()
    {
        QTest::addColumn<QVector<Sample>>("rows");
        QTest::newRow("A, B, C") << Samples(false);
        QTest::newRow("every value type") << Samples(true);
        QTest::newRow("empty list") << QVector<Sample>();
    }
    void writerMatchesHandMadeBytes()
    {
        QFETCH(QVector<Sample>, rows);
        CCilpboardListModel m;
        Fill(m, rows);
        // Fields that are not stored must not leak into the file or survive a reading.
        if (!rows.isEmpty()) {
            m.setRowData(0, true, CCilpboardListModel::PinStatusRole);
            m.setRowData(0, false, CCilpboardListModel::IsVisibleRole);
            m.setRowData(0, 4, CCilpboardListModel::FilterIndexRole);
        }
        const QString path = m_dir.filePath("written");
        m.Save2FileHelper(path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().toHex(' '), FileOf(rows, 1).toHex(' '));

        CCilpboardListModel back;
        QVERIFY(back.RestoreFromFile(path));
        QCOMPARE(Describe(back.items()), Expected(rows, 1));
    }

    // Clipboard colour data can arrive as raw bytes; stored as such, the reader would stop at
    // that record and every newer item would be lost at the next start.
    void writerStoresForeignValueAsText()
    {
        QVector<Sample> rows = Samples(false);
        rows[1].item.val = QByteArray("#ff0000");
        CCilpboardListModel m;
        Fill(m, rows);
        const QString path = m_dir.filePath("foreign");
        m.Save2FileHelper(path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        rows[1].item.val = QString("#ff0000");
        rows[1].val = Bytes().stringVal("#ff0000").data();
        QCOMPARE(f.readAll().toHex(' '), FileOf(rows, 1).toHex(' '));
        CCilpboardListModel back;
        QVERIFY(back.RestoreFromFile(path));
        QCOMPARE(Describe(back.items()), Expected(rows, 1));
    }

    void readsHandMadeFiles_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("version 1") << 1;
        QTest::newRow("version 0, no version byte, no fav_num") << 0;
    }
    void readsHandMadeFiles()
    {
        QFETCH(int, version);
        for (bool all : {false, true}) {
            const QVector<Sample> samples = Samples(all);
            const QString path = m_dir.filePath("hand");
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(FileOf(samples, version));
            f.close();
            ClipboardDebugLines debug;
            if (version == 0)
                QTest::ignoreMessage(QtDebugMsg, "data version: 1.0 5");
            CCilpboardListModel m;
            QVERIFY(m.RestoreFromFile(path));
            QCOMPARE(Describe(m.items()), Expected(samples, version));
        }
    }

    void refusesUnreadableHeader_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        // Each header is followed by one good record, which must not be read.
        const auto file = [](quint32 magic, int version) {
            Bytes b;
            b.u32(magic).i8(version).u32(1);
            return Record(b, Samples(false).at(0), 1).data();
        };
        QTest::newRow("wrong magic") << file(0xDEADBEEFu, 1) << "error history header. 3735928559";
        QTest::newRow("magic byte-swapped")
            << file(0xD1C2B3A4u, 1) << "error history header. 3519198116";
        QTest::newRow("empty file") << QByteArray() << "error history header. 0";
        QTest::newRow("half a magic") << QByteArray("\xA4\xB3") << "error history header. 0";
        QTest::newRow("version 2") << file(0xA4B3C2D1u, 2) << "data version: larger";
        QTest::newRow("version 0xFF") << file(0xA4B3C2D1u, 0xFF) << "data version: larger";
    }
    void refusesUnreadableHeader()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString path = m_dir.filePath("header");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        CCilpboardListModel m;
        Fill(m, Samples(false));
        ClipboardDebugLines debug;
        if (message.startsWith("error"))
            QTest::ignoreMessage(QtDebugMsg, Exactly(message));
        else
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(" data version: larger$"));
        QVERIFY(!m.RestoreFromFile(path));
        QCOMPARE(m.rowCount(), 0);
    }

    void missingFileLeavesListAlone()
    {
        CCilpboardListModel m;
        Fill(m, Samples(false));
        const QString path = m_dir.filePath("never-written");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(path)));
        QVERIFY(!m.RestoreFromFile(path));
        QCOMPARE(m.rowCount(), 3);
    }

    void dropsRecordsWithoutText()
    {
        const QVector<Sample> kept = Samples(false);
        Bytes b;
        b.header(1, 5);
        Record(b, kept.at(2), 1);
        Record(b, TextSample("", "empty"), 1);
        Record(b, TextSample(QString(), "null"), 1);
        Record(b, kept.at(1), 1);
        Record(b, kept.at(0), 1);
        const QString path = m_dir.filePath("no-text");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(b.data());
        f.close();
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("records refused: 2 stopped early: false$"));
        CCilpboardListModel m;
        QVERIFY(m.RestoreFromFile(path));
        QCOMPARE(Describe(m.items()), Expected(kept, 1));
    }

    void urlListRoundTrips()
    {
        const QList<QUrl> urls{
            QUrl::fromLocalFile(QString::fromUtf8("/home/u/\xe6\x97\xa5 #1%.txt")),
            QUrl::fromLocalFile("/"), QUrl("https://example.org/a?b=c#d")};
        for (const QList<QUrl> &list : {urls, QList<QUrl>()}) {
            CBData d;
            d.type = CQmlTypes::Urls;
            d.plain = "paths";
            d.md5 = Key("urls");
            d.val = QVariant::fromValue(list);
            CCilpboardListModel m;
            m.setLocal(false);
            m.prependItem(d);
            const QString path = m_dir.filePath("urls");
            m.Save2FileHelper(path);
            CCilpboardListModel back;
            QVERIFY(back.RestoreFromFile(path));
            QCOMPARE(back.rowCount(), 1);
            QCOMPARE(back.getVal(0).userType(), qMetaTypeId<QList<QUrl>>());
            QCOMPARE(back.getVal(0).value<QList<QUrl>>(), list);
        }
    }

    // A value whose type the program never writes could only be skipped by knowing its size,
    // which the reader must not trust; everything from that record on is given up.
    void foreignValueEndsReading_data()
    {
        QTest::addColumn<QByteArray>("val");
        QTest::newRow("QImage") << Bytes().u32(70).i8(0).u32(1).raw("\x89PNG\r\n").data();
        QTest::newRow("QByteArray") << Bytes().u32(12).i8(0).blob("#ff0000").data();
        QTest::newRow("int") << Bytes().u32(2).i8(0).u32(7).data();
        QTest::newRow("QStringList") << Bytes().u32(11).i8(0).u32(1).str("x").data();
        QTest::newRow("user type QList<QString>")
            << Bytes().u32(1024).i8(0).blob(QByteArray("QList<QString>", 15)).u32(0).data();
        QTest::newRow("user type named like CBData")
            << Bytes().u32(1024).i8(0).blob(QByteArray("CBData", 7)).data();
        QTest::newRow("user type id 1025") << Bytes().u32(1025).i8(0).u32(0).data();
    }
    void foreignValueEndsReading()
    {
        QFETCH(QByteArray, val);
        const QVector<Sample> s = Samples(false);
        Bytes b;
        b.header(1, 3);
        Record(b, s.at(2), 1);
        Record(b, Make(CQmlTypes::Color, "#ff0000", Key("x"), QVariant(), val), 1);
        Record(b, s.at(0), 1);
        const HistoryFile::ReadResult res = ReadBytes(b.data());
        QCOMPARE(res.status, HistoryFile::ReadStatus::Ok);
        QCOMPARE(Describe(res.rows), Expected({s.at(2)}, 1));
        QCOMPARE(res.dropped, 1);
        QVERIFY(res.truncated);
    }

    // Records of an admitted value type that no item can be are dropped one by one.
    void dropsImpossibleRecords_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("md5");
        QTest::addColumn<QByteArray>("val");
        const QString key = Key("x");
        const QByteArray text = Bytes().stringVal("x").data();
        QTest::newRow("md5 upper-case") << 4 << key.toUpper() << text;
        QTest::newRow("md5 of 31 digits") << 4 << key.left(31) << text;
        QTest::newRow("md5 of 33 digits") << 4 << key + "0" << text;
        QTest::newRow("md5 not hexadecimal") << 4 << QString(32, 'g') << text;
        QTest::newRow("md5 null") << 4 << QString() << text;
        QTest::newRow("type -1") << -1 << key << text;
        QTest::newRow("type 6") << 6 << key << text;
        QTest::newRow("image naming a path") << 2 << key << Bytes().stringVal("../../x").data();
        QTest::newRow("image naming a file") << 2 << key << Bytes().stringVal(key + ".png").data();
        QTest::newRow("colour of spec 9") << 3 << key << Bytes().colorVal(9, 1, 2, 3, 4).data();
        QTest::newRow("colour of spec -1") << 3 << key << Bytes().colorVal(-1, 1, 2, 3, 4).data();
    }
    void dropsImpossibleRecords()
    {
        QFETCH(int, type);
        QFETCH(QString, md5);
        QFETCH(QByteArray, val);
        const QVector<Sample> s = Samples(false);
        Bytes b;
        b.header(1, 3);
        Record(b, s.at(1), 1);
        Record(b, Make(type, "x", md5, QVariant(), val), 1);
        Record(b, s.at(0), 1);
        const HistoryFile::ReadResult res = ReadBytes(b.data());
        QCOMPARE(Describe(res.rows), Expected({s.at(0), s.at(1)}, 1));
        QCOMPARE(res.dropped, 1);
        QVERIFY(!res.truncated);
    }

    void truncatedFileYieldsPrefix_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("version 1") << 1;
        QTest::newRow("version 0") << 0;
    }
    void truncatedFileYieldsPrefix()
    {
        QFETCH(int, version);
        const QVector<Sample> s = Samples(false);
        QVector<int> ends;
        const QByteArray full = FileOf(s, version, &ends);
        const QStringList all = Expected(s, version);
        for (int n = 0; n <= full.size(); ++n) {
            const HistoryFile::ReadResult res = ReadBytes(full.left(n));
            const QString at = QString("cut at %1").arg(n);
            if (n < 4) {
                QVERIFY2(res.status == HistoryFile::ReadStatus::BadMagic, qPrintable(at));
                continue;
            }
            int complete = 0;
            while (complete + 1 < ends.size() && ends.at(complete + 1) <= n)
                ++complete;
            QVERIFY2(res.status == HistoryFile::ReadStatus::Ok, qPrintable(at));
            QVERIFY2(Describe(res.rows) == all.mid(all.size() - complete), qPrintable(at));
            QVERIFY2(res.truncated == !ends.contains(n), qPrintable(at));
        }
    }

    // Claimed sizes are never believed: tiny files that claim gigabytes read within a small
    // address-space budget.
    void hugeClaimsStayBounded_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("rows");
        const Sample a = Samples(false).at(0);
        const QByteArray one = FileOf({a}, 1);
        const QByteArray head = Bytes().u32(4).str("x").str(Key("x")).data();
        QTest::newRow("record count 2^31")
            << Record(Bytes().header(1, 0x80000000u), a, 1).data() << 1;
        QTest::newRow("record count 2^32-1")
            << Record(Bytes().header(1, 0xFFFFFFFFu), a, 1).data() << 1;
        QTest::newRow("plain of 0x7FFFFFF0 bytes")
            << Bytes().raw(one).u32(4).u32(0x7FFFFFF0u).raw("ab").data() << 1;
        QTest::newRow("odd plain length")
            << Bytes().raw(one).u32(4).u32(0x7FFFFFF1u).raw("ab").data() << 1;
        QTest::newRow("selected of 0x7FFFFFF0 bytes")
            << Bytes().raw(one).raw(head).stringVal("x").u32(0x7FFFFFF0u).data() << 1;
        QTest::newRow("type name of 0x7FFFFFF0 bytes")
            << Bytes().raw(one).raw(head).u32(1024).i8(0).u32(0x7FFFFFF0u).raw("QList").data() << 1;
        QTest::newRow("2^32-1 URLs") << Bytes()
                                            .raw(one)
                                            .raw(head)
                                            .u32(1024)
                                            .i8(0)
                                            .blob(QByteArray("QList<QUrl>", 12))
                                            .u32(0xFFFFFFFFu)
                                            .blob("file:///x")
                                            .data()
                                     << 1;
        QTest::newRow("URL of 0x7FFFFFF0 bytes") << Bytes()
                                                        .raw(one)
                                                        .raw(head)
                                                        .u32(1024)
                                                        .i8(0)
                                                        .blob(QByteArray("QList<QUrl>", 12))
                                                        .u32(1)
                                                        .u32(0x7FFFFFF0u)
                                                        .data()
                                                 << 1;
    }
    void hugeClaimsStayBounded()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, rows);
        const QList<int> res = ReadWithinBudget(bytes, 64);
        QCOMPARE(res.size(), 3);
        QCOMPARE(res.at(0), rows);
    }

    // The densest input per object: a URL costs the reader some 140 bytes however short its
    // encoding, so a file of one-character URLs is where memory grows fastest with file size
    // (about 30 times). It must stay a small constant factor.
    void denseUrlListStaysProportional()
    {
        const int kUrls = 200000;
        Bytes b;
        b.header(1, 1).u32(0).str("x").str(Key("x"));
        b.u32(1024).i8(0).blob(QByteArray("QList<QUrl>", 12)).u32(kUrls);
        for (int i = 0; i < kUrls; ++i)
            b.blob("a");
        b.str(QString()).u32(0xFFFFFFFFu);
        // Summed over all heaps: small blocks come from reserved heap space that an
        // address-space limit would not see.
        const auto in_use = [] {
            const struct mallinfo2 m = mallinfo2();
            return m.uordblks + m.hblkhd;
        };
        const size_t before = in_use();
        const HistoryFile::ReadResult res = ReadBytes(b.data());
        const size_t held = in_use() - before;
        QCOMPARE(res.rows.size(), 1);
        QCOMPARE(res.rows.at(0).val.value<QList<QUrl>>().size(), kUrls);
        QVERIFY2(held < 64 * size_t(b.size()),
                 qPrintable(QString("%1 bytes held for a file of %2").arg(held).arg(b.size())));
    }

private:
    QTemporaryDir m_dir;
};

TOLVANE_TEST_MAIN(TestHistoryFile)
#include "tst_history_file.moc"
