// An item's text: long Latin-1 texts held at a byte per character, everything else as given.
#include "item/cbdata.h"
#include "item/clipboard_offer.h"
#include "item/item_text.h"
#include "item/mime_convert.h"

#include <QMimeData>
#include <QtTest>

#include <memory>

class TestItemText : public QObject
{
    Q_OBJECT

private slots:
    void formFollowsTheCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("compact");
        const int from = ItemText::kCompactFromChars;
        QTest::newRow("null") << QString() << false;
        QTest::newRow("short") << QStringLiteral("short") << false;
        QTest::newRow("one below") << QString(from - 1, QLatin1Char('a')) << false;
        QTest::newRow("at the limit") << QString(from, QLatin1Char('a')) << true;
        QTest::newRow("accents and the last Latin-1 letter")
            << QString::fromUtf8("\xc3\xa9\xc3\xbf").repeated(from) << true;
        QTest::newRow("one wider character at the end")
            << QString(from, QLatin1Char('a')) + QChar(0x100) << false;
        QTest::newRow("NUL inside") << QString(from, QLatin1Char('a')) + QChar(0) + "tail" << true;
        QTest::newRow("Chinese") << QString::fromUtf8("\xe4\xb8\xad").repeated(from) << false;
    }
    void formFollowsTheCharacters()
    {
        QFETCH(QString, text);
        QFETCH(bool, compact);
        const ItemText t(text);
        QCOMPARE(t.isCompact(), compact);
        QCOMPARE(t.toString(), text);
        QCOMPARE(t.toString().isNull(), text.isNull());
        QCOMPARE(t.size(), text.size());
        QCOMPARE(t.isEmpty(), text.isEmpty());
        for (int n : {0, 3, text.size() - 1, text.size(), text.size() + 5})
            QCOMPARE(t.left(n), text.left(n));
        QVERIFY(t == text);
        QVERIFY(t == ItemText(text));
        QVERIFY(t != text + "x");
        QVERIFY(t != ItemText(text + "x"));
        if (!text.isEmpty()) {
            QString other = text;
            other[other.size() - 1] = QLatin1Char('!');
            QVERIFY(t != other && t != ItemText(other));
        }
    }

    // A captured text's value is its plain text, held once; the key is that of the text
    // itself, so histories and linked hosts keep naming the item as before.
    void capturedTextSharesOneCompactCopy()
    {
        const QString text = QString("a log line\n").repeated(1000);
        ClipboardOffer offer;
        offer.kind = ClipboardOffer::Text;
        offer.text = text;
        const CBData item = ItemFromOffer(offer);
        QCOMPARE(item.type, int(CQmlTypes::Text));
        QVERIFY(item.plain.isCompact());
        QCOMPARE(item.val.userType(), qMetaTypeId<ItemText>());
        QCOMPARE(item.md5, GetVariantMd5(QVariant(text)));
        QCOMPARE(item.val.toString(), text); // what the paste and the history file read

        std::unique_ptr<QMimeData> mime(GetMimeFromCBData(item));
        QCOMPARE(mime->text(), text);
    }
};

QTEST_GUILESS_MAIN(TestItemText)
#include "tst_item_text.moc"
