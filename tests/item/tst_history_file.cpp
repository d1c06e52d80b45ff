// The history file byte for byte: expectations are streams assembled here field by field,
// never the writer's own output, and the reader is fed what a hostile linked host could send.
#include "clipboard/clipboard_list_model.h"
#include "file_size_limit.h"
#include "history_test_support.h"
#include "isolated_env.h"
#include "item/item_limits.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <malloc.h>

namespace {
QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

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
            d.plain = QStringLiteral("paths");
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

    // A save that cannot be completed (a full disk, here a file size limit) leaves the old
    // file exactly as it was: never empty, never cut short.
    void failedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<QVector<Sample>>("rows");
        QVector<Sample> forty;
        for (int i = 0; i < 40; ++i)
            forty << TextSample(QString("copied text number %1").arg(i),
                                QByteArray::number(i).constData());
        QVector<Sample> with_long = Samples(false);
        with_long.prepend(TextSample(QString(50 * 1024, QChar('w')), "100 KB")); // UTF-16
        QTest::newRow("nothing fits") << 0 << forty;
        QTest::newRow("2 KB fit") << 2048 << forty;
        QTest::newRow("partway through a 100 KB value") << 60 * 1024 << with_long;
    }
    void failedSaveKeepsTheOldFile()
    {
        QFETCH(int, limit);
        QFETCH(QVector<Sample>, rows);
        QTemporaryDir dir;
        const QString path = dir.filePath("history");
        CCilpboardListModel old;
        Fill(old, Samples(false));
        QVERIFY(old.Save2FileHelper(path));
        const QByteArray before = ReadFile(path);

        CCilpboardListModel m;
        Fill(m, rows);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Save2FileHelper.*history"));
        {
            FileSizeLimit full{rlim_t(limit)};
            QVERIFY(full.isSet());
            QVERIFY(!m.Save2FileHelper(path));
        }
        QCOMPARE(ReadFile(path), before);
        // The half-written temporary file is gone too.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"history"});
        QVERIFY(m.Save2FileHelper(path)); // room again: the new list is written
        CCilpboardListModel back;
        QVERIFY(back.RestoreFromFile(path));
        QCOMPARE(Describe(back.items()), Expected(rows, 1));
    }

    // A history file that is a symbolic link is replaced by a file of its own; the file the
    // link pointed to is not written through.
    void symbolicLinkIsReplacedNotFollowed()
    {
        QTemporaryDir dir;
        const QString elsewhere = dir.filePath("notes.txt");
        QFile notes(elsewhere);
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("the user's own notes");
        notes.close();
        const QString path = dir.filePath("history");
        QVERIFY(QFile::link(elsewhere, path));
        CCilpboardListModel m;
        Fill(m, Samples(false));
        QVERIFY(m.Save2FileHelper(path));
        QCOMPARE(ReadFile(elsewhere), QByteArray("the user's own notes"));
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(ReadFile(path), FileOf(Samples(false), 1));
        QCOMPARE(QFileInfo(path).permissions() & 0x0077, QFileDevice::Permissions());
    }

    // The densest input per object: a URL costs the reader some 140 bytes however short its
    // encoding, so a file of one-character URLs is where memory grows fastest with file size
    // (about 30 times). Up to the most files an item may hold, it must stay a small constant
    // factor.
    void denseUrlListStaysProportional()
    {
        Bytes b;
        b.header(1, 1).u32(0).str("x").str(Key("x"));
        b.u32(1024).i8(0).blob(QByteArray("QList<QUrl>", 12)).u32(ItemLimits::kMaxUrls);
        for (int i = 0; i < ItemLimits::kMaxUrls; ++i)
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
        QCOMPARE(res.rows.at(0).val.value<QList<QUrl>>().size(), ItemLimits::kMaxUrls);
        QVERIFY2(held < 64 * size_t(b.size()),
                 qPrintable(QString("%1 bytes held for a file of %2").arg(held).arg(b.size())));
    }

    // A file-list record beyond the limit is read past, not kept, and the records after it
    // still count; 40 MB of empty URLs once cost over a gigabyte.
    void overlongUrlListsAreSkipped_data()
    {
        QTest::addColumn<int>("urls");
        QTest::newRow("one over the limit") << ItemLimits::kMaxUrls + 1;
        QTest::newRow("40 MB of empty URLs") << 10 * 1000 * 1000;
    }
    void overlongUrlListsAreSkipped()
    {
        QFETCH(int, urls);
        const QVector<Sample> s = Samples(false);
        Bytes b;
        b.header(1, 3);
        Record(b, s.at(1), 1);
        b.u32(0).str("files").str(Key("files"));
        b.u32(1024).i8(0).blob(QByteArray("QList<QUrl>", 12)).u32(quint32(urls));
        b.raw(QByteArray(4 * urls, '\0')); // each an empty byte array
        b.str(QString()).u32(0xFFFFFFFFu);
        Record(b, s.at(0), 1);
        const QList<int> res = ReadWithinBudget(b.data(), 64);
        QCOMPARE(res, (QList<int>{2, 1, 0})); // rows, dropped, stopped early
        QCOMPARE(Describe(ReadBytes(b.data()).rows), Expected({s.at(0), s.at(1)}, 1));
    }

    // A history far longer than its list may be (grown under a larger limit, or made by
    // hand) is never held whole: only the newest records are kept, in display order.
    void readingKeepsOnlyTheNewestRecords()
    {
        QVector<Sample> many;
        for (int i = 0; i < 2000; ++i)
            many << TextSample(QString("item %1").arg(i), QByteArray::number(i).constData());
        const QByteArray file = FileOf(many, 1); // many[0] is the newest
        QBuffer buf;
        buf.setData(file);
        buf.open(QIODevice::ReadOnly);
        const HistoryFile::ReadResult res = HistoryFile::Read(buf, 50);
        QCOMPARE(res.status, HistoryFile::ReadStatus::Ok);
        QCOMPARE(Describe(res.rows), Expected(many.mid(0, 50), 1));
    }

    // A text read back is held once, not once as its value and once as its plain text: a
    // history of a few long texts would otherwise cost twice their size after every start.
    // A long text of Latin-1 characters is held at one byte per character. An HTML item's
    // two forms differ and stay two.
    void restoredTextIsHeldOnce_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("compact");
        QTest::newRow("Latin-1") << QString::fromUtf8("long caf\xc3\xa9 ").repeated(100000) << true;
        QTest::newRow("wider") << QString::fromUtf8("long \xe2\x98\xba ").repeated(100000) << false;
        QTest::newRow("short") << QStringLiteral("short text") << false;
    }
    void restoredTextIsHeldOnce()
    {
        QFETCH(QString, text);
        QFETCH(bool, compact);
        CCilpboardListModel m;
        m.setLocal(false);
        CBData t;
        t.type = CQmlTypes::Text;
        t.plain = text;
        t.val = QString(text.constData(), text.size()); // a copy of its own, as after editing
        t.md5 = Key("text");
        m.prependItem(t);
        CBData h;
        h.type = CQmlTypes::Html;
        h.plain = QStringLiteral("shown");
        h.val = QString("<b>shown</b>");
        h.md5 = Key("html");
        m.prependItem(h);
        const QString path = m_dir.filePath("held-once");
        QVERIFY(m.Save2FileHelper(path));
        CCilpboardListModel back;
        QVERIFY(back.RestoreFromFile(path));
        QCOMPARE(back.rowCount(), 2);
        const CBData &text_back = back.item(1);
        QCOMPARE(text_back.val.toString(), text);
        QCOMPARE(text_back.plain.toString(), text);
        QCOMPARE(text_back.plain.isCompact(), compact);
        const auto data_of = [](const auto &held) -> const void * {
            return held.data();
        };
        const ItemText val = compact ? text_back.val.value<ItemText>() : ItemText();
        QCOMPARE(compact ? val.visit(data_of)
                         : static_cast<const void *>(text_back.val.toString().constData()),
                 text_back.plain.visit(data_of));
        // The views and scripts get the text itself.
        QCOMPARE(back.getVal(1), QVariant(text));
        QCOMPARE(back.getValPreview(1).toString(), text.left(CCilpboardListModel::kPreviewChars));
        QCOMPARE(back.getVal(0).toString(), QString("<b>shown</b>"));
        QCOMPARE(back.item(0).plain.toString(), QString("shown"));
    }

private:
    QTemporaryDir m_dir;
};

TOLVANE_TEST_MAIN(TestHistoryFile)
#include "tst_history_file.moc"
