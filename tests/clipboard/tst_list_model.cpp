// The list model on its own: roles, searches, navigation, paging, moves and image places.
#include "clipboard/clipboard_list_model.h"
#include "clipboard/wildcard_matcher.h"
#include "fake_clipboard_watcher.h"
#include "isolated_env.h"
#include "item/mime_convert.h"
#include "item/storage_paths.h"
#include "test_items.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QMimeData>
#include <QRandomGenerator>
#include <QRegExp>

namespace {
QStringList Numbered(int n)
{
    QStringList rows;
    for (int i = 0; i < n; ++i)
        rows << QString("row %1").arg(i);
    return rows;
}
} // namespace

class TestListModel : public QObject
{
    Q_OBJECT
    FakeClipboardWatcher *m_clip = nullptr;

private slots:
    void initTestCase()
    {
        m_clip = FakeClipboardWatcher::install();
        QVERIFY(m_clip);
    }

    void rolesAndBounds()
    {
        CCilpboardListModel m;
        QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QHash<int, QByteArray> roles = m.roleNames();
        QCOMPARE(roles.size(), 11);
        QCOMPARE(roles.value(257), QByteArray("plain"));
        QCOMPARE(roles.value(260), QByteArray("pin_status"));
        QCOMPARE(roles.value(266), QByteArray("filter_index"));
        QVERIFY(!roles.contains(Qt::DisplayRole));

        FillTextRows(m, {"a", "b"});
        QCOMPARE(m.data(m.index(1), 257).toString(), QString("b"));
        QCOMPARE(m.data(m.index(0), 265).toInt(), -1);
        QVERIFY(!m.data(m.index(0), Qt::DisplayRole).isValid());
        QVERIFY(!m.data(m.index(5), 257).isValid());

        // A row's head: the beginning of a long text, compact or not, and all of a short one.
        const QString latin1 = QString("0123456789").repeated(500);
        const QString wide = QString::fromUtf8("\xe2\x98\xba").repeated(5000);
        FillTextRows(m, {latin1, wide, "short"});
        const int head = CCilpboardListModel::PlainHeadRole;
        QCOMPARE(roles.value(head), QByteArray("plain_head"));
        QCOMPARE(m.data(m.index(0), head).toString(), latin1.left(CCilpboardListModel::kRowChars));
        QCOMPARE(m.data(m.index(1), head).toString(), wide.left(CCilpboardListModel::kRowChars));
        QCOMPARE(m.data(m.index(2), head).toString(), QString("short"));
        QCOMPARE(m.data(m.index(0), 257).toString(), latin1);
    }

    void setRowDataSignalsOnlyRealChanges()
    {
        CCilpboardListModel m;
        FillTextRows(m, {"a"});
        QSignalSpy spy(&m, &QAbstractItemModel::dataChanged);
        m.setRowData(0, true, CCilpboardListModel::IsVisibleRole); // already true
        QCOMPARE(spy.count(), 0);
        m.setRowData(0, false, CCilpboardListModel::IsVisibleRole);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(2).value<QVector<int>>(), QVector<int>{261});
        m.updateSelection(m.getMd5(0), "1_2_3");
        m.updateSelection(m.getMd5(0), "1_2_3");
        m.updateSelection("no such key", "x");
        QCOMPARE(spy.count(), 2);
        QCOMPARE(m.getSelection(0), QString("1_2_3"));
    }

    void countsByKind()
    {
        CCilpboardListModel m;
        m.prependItem(TextItem("t"));
        m.prependItem(TextItem("<b>h</b>", CQmlTypes::Html));
        m.prependItem(TextItem("Image", CQmlTypes::Image));
        m.prependItem(TextItem("/a", CQmlTypes::Urls));
        m.prependItem(TextItem("#abc", CQmlTypes::Color));
        QCOMPARE(m.getTextCount(), 2);
        QCOMPARE(m.getImgCount(), 1);
        QCOMPARE(m.getOthersCount(), 2);
    }

    void mainSearchIsACaseInsensitiveWildcardAnywhere()
    {
        CCilpboardListModel m;
        FillTextRows(m, {"xxABCxx", "shot.png here", "nothing", "Image"});
        QSignalSpy none(&m, &CCilpboardListModel::sigQPFilterNoItemVisible);
        m.filterText("abc");
        QCOMPARE(m.isVisible(0), true);
        QCOMPARE(m.isVisible(1), false);
        m.filterText("*png");
        QCOMPARE(m.isVisible(0), false);
        QCOMPARE(m.isVisible(1), true);
        m.filterText("im?ge");
        QCOMPARE(m.isVisible(3), true);
        QCOMPARE(m.isVisible(1), false);
        QCOMPARE(none.count(), 0); // only the empty key reports
        m.filterText("");
        for (int r = 0; r < m.rowCount(); ++r)
            QVERIFY(m.isVisible(r));
        QCOMPARE(none.count(), 1);
        QCOMPARE(none.at(0).at(0).toBool(), false);
        // The quick paste visibility is a separate flag.
        m.filterText("zzz");
        QVERIFY(m.isVisibleQp(0));
    }

    // A search tells the views once, over the rows whose flag changed, and shows exactly
    // the rows the search rule matches: wildcards, case folding and Chinese text alike.
    void searchUpdatesTheListInOneStep()
    {
        CCilpboardListModel m;
        const QStringList rows = {"复制粘贴工具",    "keep ÄPFEL",       "nothing", "粘贴板 keep",
                                  "report-2026.png", "äpfel und birnen", "other"};
        FillTextRows(m, rows);
        QSignalSpy spy(&m, &QAbstractItemModel::dataChanged);
        for (const QString &key : {"粘贴", "*贴?工", "äpfel", "keep", "*.png", "[ko]*e", ""}) {
            for (const bool qp : {false, true}) {
                spy.clear();
                QVector<bool> before;
                for (int r = 0; r < rows.size(); ++r)
                    before << (qp ? m.isVisibleQp(r) : m.isVisible(r));
                qp ? m.filterTextQuickPaste(key) : m.filterText(key);
                int first = -1, last = -1;
                for (int r = 0; r < rows.size(); ++r) {
                    const bool want = key.isEmpty() || WildcardMatcher(key).matches(rows[r]);
                    QCOMPARE(qp ? m.isVisibleQp(r) : m.isVisible(r), want);
                    if (want != before[r]) {
                        first = first < 0 ? r : first;
                        last = r;
                    }
                }
                if (first < 0 && !qp) {
                    QCOMPARE(spy.count(), 0);
                    continue;
                }
                QVERIFY2(spy.count() <= 1, qPrintable(key));
                if (first >= 0) {
                    QCOMPARE(spy.count(), 1);
                    QVERIFY(spy.at(0).at(0).toModelIndex().row() <= first);
                    QVERIFY(spy.at(0).at(1).toModelIndex().row() >= last);
                }
            }
        }
        QVERIFY(m.isVisible(0) && m.isVisibleQp(6)); // the empty key shows every row again
    }

    void quickPasteSearchNumbersRowsFromNine()
    {
        CCilpboardListModel m;
        QStringList rows = Numbered(20);
        for (int r : {2, 5, 11, 14})
            rows[r] += " keep";
        FillTextRows(m, rows);
        QSignalSpy none(&m, &CCilpboardListModel::sigQPFilterNoItemVisible);

        m.filterTextQuickPaste("");
        QCOMPARE(m.data(m.index(8), 266).toInt(), -1);
        QCOMPARE(m.data(m.index(9), 266).toInt(), 0);
        QCOMPARE(m.data(m.index(19), 266).toInt(), 10);

        m.filterTextQuickPaste("KEEP");
        QCOMPARE(none.last().at(0).toBool(), false);
        for (int r = 0; r < 20; ++r)
            QCOMPARE(m.isVisibleQp(r), rows[r].endsWith("keep"));
        QCOMPARE(m.data(m.index(11), 266).toInt(), 0);
        QCOMPARE(m.data(m.index(14), 266).toInt(), 1);
        QCOMPARE(m.data(m.index(2), 266).toInt(), -1); // rows 0-8 keep theirs
        QVERIFY(m.isVisible(3));                       // the main window's visibility is untouched

        m.filterTextQuickPaste("no row has this");
        QCOMPARE(none.last().at(0).toBool(), true);
    }

    void asterisksAtTheEndsChangeNothing()
    {
        CCilpboardListModel m;
        // A long text makes a retried leading asterisk quadratic; the result must not change.
        FillTextRows(m, {QString(20000, QChar('x')) + "png", "no", "***"});
        m.filterText("*png*");
        QCOMPARE(m.isVisible(0), true);
        QCOMPARE(m.isVisible(1), false);
        QCOMPARE(m.isVisible(2), false);
        m.filterText("***");
        QVERIFY(m.isVisible(0) && m.isVisible(1) && m.isVisible(2));
        m.filterTextQuickPaste("**n?");
        QCOMPARE(m.isVisibleQp(1), true);
        QCOMPARE(m.isVisibleQp(2), false);
    }

    void invalidPatternMatchesNothing()
    {
        CCilpboardListModel m;
        FillTextRows(m, {"[abc", "abc", "a]"});
        m.filterText("[abc");
        QVERIFY(!m.isVisible(0));
        QVERIFY(!m.isVisible(1));
        m.filterText("a]"); // a set closed that was never opened
        QVERIFY(!m.isVisible(2));
    }

    // The search rule is a case-insensitive wildcard pattern found anywhere in the text, as
    // the toolkit's wildcard expressions define it; the list's own matcher must give the
    // same answer for every key and text.
    void searchAgreesWithTheWildcardRule()
    {
        // Keys hold no backslash and only characters whose lower case and case folding
        // agree: for those the toolkit's engine is not consistent with itself (see the
        // cases after the loop).
        const QString key_chars = QStringLiteral("aAb?*[]^-.zéÉß");
        const QString text_chars = QStringLiteral("aAbB-]^[\\.zZéÉßS \n");
        QRandomGenerator gen(20240601);
        auto draw = [&gen](const QString &from, int max_len) {
            QString s;
            const int len = gen.bounded(max_len + 1);
            for (int i = 0; i < len; ++i)
                s += from.at(gen.bounded(from.size()));
            return s;
        };
        int valid = 0;
        int matched = 0;
        for (int round = 0; round < 4000; ++round) {
            const QString key = draw(key_chars, 7);
            if (key.isEmpty())
                continue;
            QRegExp rule(key, Qt::CaseInsensitive, QRegExp::Wildcard);
            const WildcardMatcher matcher(key);
            QVERIFY2(matcher.isValid() == rule.isValid(), qPrintable(key));
            valid += rule.isValid() ? 1 : 0;
            for (int t = 0; t < 8; ++t) {
                const QString text = draw(text_chars, 14);
                const bool expected = rule.isValid() && rule.indexIn(text) != -1;
                matched += expected ? 1 : 0;
                QVERIFY2(matcher.matches(text) == expected,
                         qPrintable(QString("key \"%1\" text \"%2\"").arg(key, text)));
                // Every text character lies in Latin-1: a long text held compact agrees.
                const QByteArray latin1 = text.toLatin1();
                QVERIFY2(matcher.matches(QLatin1String(latin1.constData(), latin1.size())) ==
                             expected,
                         qPrintable(QString("Latin-1: key \"%1\" text \"%2\"").arg(key, text)));
            }
        }
        // The generated keys exercise both outcomes, not only refusals.
        QVERIFY(valid > 1000);
        QVERIFY(matched > 1000);

        // Case variants match whatever else the key holds (the toolkit's engine finds the
        // long s for "s" but not for "s?").
        const QString long_s(QChar(0x17F));
        QVERIFY(WildcardMatcher("s").matches(long_s));
        QVERIFY(WildcardMatcher("s?").matches(long_s + "x"));
        QVERIFY(WildcardMatcher("[s]").matches(long_s));
        QVERIFY(WildcardMatcher(QString(QChar(0x3C3))).matches(QString(QChar(0x3C2)))); // σ ς
        // A backslash is an ordinary character (the toolkit's engine doubles it before some
        // characters, so that "\\a" would only find two backslashes).
        QVERIFY(WildcardMatcher("\\a").matches("x\\ay"));
        QVERIFY(WildcardMatcher("\\*").matches("\\"));
        QVERIFY(WildcardMatcher("[\\]").matches("\\"));

        // Through the model, on texts far longer than a key could ever backtrack over.
        CCilpboardListModel m;
        const QString prose = QString(20000, QChar('a')) + "the quick brown zebra";
        FillTextRows(m, {prose, QString(20000, QChar('a'))});
        m.filterText("a*b");
        QVERIFY(m.isVisible(0));
        QVERIFY(!m.isVisible(1));
        m.filterText("THE*ZEB?A");
        QVERIFY(m.isVisible(0));
        m.filterText("a*[!]"); // "!" is a member, not a negation
        QVERIFY(!m.isVisible(0) && !m.isVisible(1));
        m.filterText("a*[^a]");
        QVERIFY(m.isVisible(0));
        QVERIFY(!m.isVisible(1));
        FillTextRows(m, {"C:\\temp\\a.txt"});
        m.filterText("\\temp\\?.txt");
        QVERIFY(m.isVisible(0));
    }

    void navigationSkipsHiddenRows()
    {
        CCilpboardListModel m;
        FillTextRows(m, {"a0", "b1", "a2", "b3", "a4"});
        m.filterText("a*");
        QCOMPARE(m.getNextVisibleRow(0, false), 2);
        QCOMPARE(m.getNextVisibleRow(-1, false), 0);
        QCOMPARE(m.getNextVisibleRow(4, false), -1);
        QCOMPARE(m.getPrevVisibleRow(4, false), 2);
        QCOMPARE(m.getPrevVisibleRow(0, false), -1);
        QCOMPARE(m.getVisibleStart(false), 0);
        QCOMPARE(m.getVisibleEnd(false), 4);
        m.filterText("zzz");
        QCOMPARE(m.getVisibleStart(false), -1);
        QCOMPARE(m.getVisibleEnd(false), -1);
        QCOMPARE(m.getVisibleStart(true), 0); // quick paste flags are separate
    }

    void pagingCountsVisibleRows()
    {
        CCilpboardListModel m;
        FillTextRows(m, Numbered(21));
        QCOMPARE(m.getNextPage(3, 5, false), 8);
        QCOMPARE(m.getNextPage(18, 5, false), 20); // runs out: last visible row
        QCOMPARE(m.getPreviousPage(8, 5, false), 3);
        QCOMPARE(m.getPreviousPage(2, 5, false), 0);
        QCOMPARE(m.getPreviousPage(-1, 5, false), 0);

        for (int r = 0; r < 21; ++r)
            m.setRowData(r, r == 3 || r == 4, CCilpboardListModel::IsVisibleRole);
        QCOMPARE(m.getNextPage(3, 5, false), 4);
        QCOMPARE(m.getPreviousPage(20, 5, false), 3);
        m.filterText("nothing matches");
        QCOMPARE(m.getNextPage(0, 5, false), -1);
        QCOMPARE(m.getPreviousPage(10, 5, false), -1);
    }

    void movesKeepTheOtherRowsInOrder()
    {
        CCilpboardListModel m;
        QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        FillTextRows(m, {"a", "b", "c", "d"});
        QVERIFY(!m.moveRow(2, 2));
        QVERIFY(m.moveRow(2, 0));
        QCOMPARE(m.getPlain(0), QString("c"));
        QCOMPARE(m.getPlain(1), QString("a"));
        QCOMPARE(m.getPlain(3), QString("d"));
        QVERIFY(m.moveRow(0, 3));
        QCOMPARE(m.getPlain(3), QString("c"));
        QCOMPARE(m.indexOfMD5(m.getMd5(3)), 3);
        QCOMPARE(m.indexOfMD5("missing"), -1);
    }

    void moveRow2TopWritesTheClipboardUnlessAlreadyOnTop()
    {
        CCilpboardListModel m;
        FillTextRows(m, {"top", "second", "third"});
        m_clip->copyTextFromOutside("untouched");
        m.moveRow2Top(0);
        m.moveRow2Top(7);
        QCOMPARE(m_clip->text(), QString("untouched"));
        QVERIFY(m_clip->writtenTexts().isEmpty());
        QCOMPARE(m.getPlain(0), QString("top"));

        m.moveRow2Top(2, true);
        QCOMPARE(m.getPlain(0), QString("third"));
        const QMimeData *mime = m_clip->mimeData();
        QCOMPARE(mime->text(), QString("third"));
        QCOMPARE(mime->property("_internal_filter_").toString(), QString("true"));
        QCOMPARE(mime->property("_internal_roll2top4main_").toString(), QString("true"));
    }

    void removalAndTrimming()
    {
        CCilpboardListModel m;
        FillTextRows(m, Numbered(6));
        m.removeItem(1);
        QCOMPARE(m.rowCount(), 5);
        QCOMPARE(m.getPlain(1), QString("row 2"));
        m.UpdateMaxItemCount(3);
        QCOMPARE(m.rowCount(), 3);
        QCOMPARE(m.getPlain(2), QString("row 3"));
        m.UpdateMaxItemCount(-1); // nonsense limits never index outside the list
        QCOMPARE(m.rowCount(), 0);
    }

    void imagesOfLocalAndMirrorLists()
    {
        const QString key(32, QChar('a'));
        CCilpboardListModel local;
        QCOMPARE(local.getImgUrl(key).toLocalFile(), StoragePaths::ImgPath(key));
        QVERIFY(!local.isImgExists(key));
        QDir().mkpath(StoragePaths::ClipboardDir());
        QFile f(StoragePaths::ImgPath(key));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(local.isImgExists(key));

        CCilpboardListModel mirror;
        mirror.setLocal(false);
        mirror.setIp("10.0.0.2");
        // Received files live in the user's private runtime folder, never the shared /tmp.
        const QString expected_dir = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/Tolvane/10.0.0.2/";
        QCOMPARE(mirror.getImgUrl(key).toLocalFile(), expected_dir + key + ".png");
        QVERIFY(QDir(expected_dir).exists()); // created on demand
        QVERIFY(!mirror.isImgExists(key));
        QFile r(expected_dir + key + ".png");
        QVERIFY(r.open(QIODevice::WriteOnly));
        r.close();
        QVERIFY(mirror.isImgExists(key));
        QVERIFY(!mirror.isImgExists("../../" + key)); // keys never climb out
    }

    void mirrorListsNeverWriteTheLocalHistories()
    {
        CCilpboardListModel mirror;
        mirror.setLocal(false);
        mirror.setIp("10.0.0.3");
        FillTextRows(mirror, {"remote"});
        QFile::remove(StoragePaths::ClipboardHistoryFile());
        mirror.saveCurData();
        mirror.resetModelData();
        QVERIFY(!QFile::exists(StoragePaths::ClipboardHistoryFile()));
        QCOMPARE(mirror.rowCount(), 0);
    }

    void resetWritesTheEmptiedHistory()
    {
        QDir().mkpath(StoragePaths::PinDir());
        CCilpboardListModel pin;
        pin.setPin(true);
        FillTextRows(pin, {"p1", "p2"});
        pin.saveCurData();
        const qint64 full = QFileInfo(StoragePaths::PinHistoryFile()).size();
        pin.resetModelData();
        QCOMPARE(pin.rowCount(), 0);
        QVERIFY(QFileInfo(StoragePaths::PinHistoryFile()).size() < full);
        CCilpboardListModel reread;
        QVERIFY(reread.RestoreFromFile(StoragePaths::PinHistoryFile()));
        QCOMPARE(reread.rowCount(), 0);
    }
};

TOLVANE_TEST_MAIN(TestListModel)
#include "tst_list_model.moc"
