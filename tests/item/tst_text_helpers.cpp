// Colour notations and the text and URL helpers behind m_utilities.
#include "clipboard/qml_helper.h"
#include "isolated_env.h"
#include "item/text_helpers.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QStandardPaths>

class TestTextHelpers : public QObject
{
    Q_OBJECT
private:
    CQmlHelper *util() { return CQmlHelper::instance(); }

private slots:
    void colourNotations()
    {
        const QColor red("#ff0000");
        QCOMPARE(util()->getHex(QColor(171, 205, 239)), QString("#abcdef"));
        QCOMPARE(util()->getRGB(QColor(1, 2, 3)), QString("rgb( 1, 2, 3)"));
        QCOMPARE(util()->getHSL(red), QString("hsl( 0, 100%, 50%)"));
        QCOMPARE(util()->getHSV(red), QString("hsv( 0, 100%, 100%)"));
        // The hue in degrees: a blue of 205 degrees.
        QCOMPARE(util()->getHSL(QColor("#2d82b7")).left(9), QString("hsl( 203,"));
        QCOMPARE(util()->getHSV(QColor("#2d82b7")).left(9), QString("hsv( 203,"));
        QCOMPARE(util()->getCMYK(red), QString("cmyk( 0%, 100%, 100%, 0%)"));
        // Grey has no hue: the toolkit says -1, shown as 0.
        QCOMPARE(util()->getHSL(QColor(128, 128, 128)), QString("hsl( 0, 0%, 50%)"));
        QCOMPARE(util()->getHSV(QColor(128, 128, 128)).left(7), QString("hsv( 0,"));
    }

    // The save dialog starts in Downloads, with the name alone of what a host sent.
    void savingStartsInDownloads()
    {
        const QString downloads =
            QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
        QCOMPARE(CQmlHelper::defaultSavingPath("report.pdf"), downloads + "/report.pdf");
        QCOMPARE(CQmlHelper::defaultSavingPath("../../.bashrc"), downloads + "/.bashrc");
        QCOMPARE(CQmlHelper::defaultSavingPath(".."), downloads);
    }

    // A search marks its matches in what a row shows: escaped text, bold coloured matches,
    // every match, wildcard pieces each on their own, a far first match brought into view.
    void searchMarks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("lead");
        QTest::addColumn<QString>("marked");
        const QString o = "<b><font color=\"#ff0000\">";
        const QString c = "</font></b>";
        QTest::newRow("case folded, every match")
            << "Apple and apple"
            << "APPLE" << -1 << o + "Apple" + c + " and " + o + "apple" + c;
        QTest::newRow("markup stays text")
            << "<b>x</b> & <i>"
            << "x" << -1 << "&lt;b&gt;" + o + "x" + c + "&lt;/b&gt; &amp; &lt;i&gt;";
        QTest::newRow("marked match is escaped") << "a<b"
                                                 << "a<b" << -1 << o + "a&lt;b" + c;
        QTest::newRow("pieces of a wildcard key")
            << "report-2024.pdf"
            << "rep*.pdf" << -1 << o + "rep" + c + "ort-2024" + o + ".pdf" + c;
        QTest::newRow("question mark and set")
            << "cat cot"
            << "c[ao]t" << -1 << o + "cat" + c + " " + o + "cot" + c;
        QTest::newRow("no match") << "plain <text>"
                                  << "zz" << -1 << "plain &lt;text&gt;";
        QTest::newRow("invalid key") << "a]b"
                                     << "]" << -1 << "a]b";
        QTest::newRow("only asterisks") << "abc"
                                        << "**" << -1 << "abc";
        QTest::newRow("line breaks") << "one\ntwo"
                                     << "two" << -1 << "one<br>" + o + "two" + c;
        QTest::newRow("far match brought in")
            << QString(40, 'x') + "needle"
            << "needle" << 20 << QString("…") + QString(12, 'x') + o + "needle" + c;
        QTest::newRow("near match left in place") << "xxxx needle"
                                                  << "needle" << 20 << "xxxx " + o + "needle" + c;
    }

    void searchMarks()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(int, lead);
        QFETCH(QString, marked);
        QCOMPARE(util()->markMatches(text, key, QColor("#ff0000"), lead), marked);
    }

    void svgColourNames()
    {
        QCOMPARE(util()->getName(QColor("#ff0000")), QString("red"));
        QCOMPARE(util()->getName(QColor("#123457")), QString());
        // Two names of one colour: the first in the toolkit's list wins.
        QCOMPARE(util()->getName(QColor("#00ffff")),
                 QColor::colorNames().contains("aqua") ? QString("aqua") : QString("cyan"));
    }

    void colourRecogniser_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QColor>("color");
        QTest::newRow("#abc") << "#abc" << true << QColor("#aabbcc");
        QTest::newRow("rgb(300,0,0)") << "rgb(300,0,0)" << false << QColor();
        QTest::newRow("rgb 255") << "rgb(255,0,9)" << true << QColor(255, 0, 9);
        QTest::newRow("rgb 256") << "rgb(256,0,0)" << false << QColor();
        QTest::newRow("percent") << "rgb(100%,0%,50%)" << true << QColor(255, 0, 128);
        QTest::newRow("rgba half") << "rgba(0,0,0,0.5)" << true << QColor(0, 0, 0, 128);
        QTest::newRow("rgba zero") << "rgba(9,9,9,0)" << true << QColor(9, 9, 9, 0);
        QTest::newRow("rgba two decimals") << "rgba(9,9,9,0.55)" << false << QColor();
        QTest::newRow("upper RGB") << "RGB(1,2,3)" << false << QColor();
        QTest::newRow("empty") << "   " << false << QColor();
    }
    void colourRecogniser()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QColor, color);
        const QColor c = util()->isColor(text);
        QCOMPARE(c.isValid(), valid);
        if (valid)
            QCOMPARE(c.rgba(), color.rgba());
    }

    void oneLinePreview_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("max");
        QTest::addColumn<QString>("preview");
        QTest::newRow("plain") << "plain words" << 20 << "plain words";
        QTest::newRow("line ends of every kind") << "a\nb\r\nc\rd\n"
                                                 << 20 << QString::fromUtf8("a⏎b⏎c⏎d⏎");
        QTest::newRow("tab separates fields, so it is shown")
            << "x\ty" << 20 << QString::fromUtf8("x⇥y");
        QTest::newRow("other control characters")
            << QString::fromLatin1("bell\x07nul") + QChar(0) << 20 << "bell nul ";
        QTest::newRow("exactly the limit") << "12345" << 5 << "12345";
        QTest::newRow("over the limit") << "123456" << 5 << QString::fromUtf8("1234…");
    }
    void oneLinePreview()
    {
        QFETCH(QString, text);
        QFETCH(int, max);
        QFETCH(QString, preview);
        QCOMPARE(TextHelpers::OneLinePreview(text, max), preview);
    }

    void textHead()
    {
        const QString flat(2000, QChar('x'));
        QCOMPARE(util()->getTextHead(flat, false), flat.left(840));
        QStringList lines;
        for (int i = 0; i < 20; ++i)
            lines << QString("line %1").arg(i);
        QCOMPARE(util()->getTextHead(lines.join("\n"), false),
                 QStringList(lines.mid(0, 7)).join("\n") + "\n");
        // Empty lines count as lines.
        QCOMPARE(util()->getTextHead("a\n\nb", false), QString("a\n\nb\n"));
        // A break only after 840 characters: the flat head.
        const QString late = QString(900, QChar('y')) + "\nz";
        QCOMPARE(util()->getTextHead(late, false), late.left(840));
    }

    void htmlHeadStopsAfterSevenPreLines()
    {
        QStringList html{"<html><body>"};
        for (int i = 0; i < 10; ++i)
            html << QString("<pre style=\"x\">%1</pre>").arg(i);
        html << "</body></html>";
        const QString head = util()->getTextHead(html.join("\n"), true);
        QVERIFY(head.contains(">6</pre>"));
        QVERIFY(!head.contains(">7</pre>"));
        QVERIFY(head.endsWith("</body></html>"));
        QCOMPARE(util()->getTextHead("<p>a</p>\n</body></html>", true),
                 QString("<p>a</p>\n</body></html>\n</body></html>"));
    }

    void localFileUrls()
    {
        QCOMPARE(util()->decodeLocalFileUrl(QUrl::fromLocalFile("/tmp/a b.txt")),
                 QString("/tmp/a b.txt"));
        QCOMPARE(util()->decodeLocalFileUrl(QUrl("file:///C:/Users/a%20b.txt")),
                 QString("C:/Users/a b.txt"));
        QCOMPARE(util()->decodeLocalFileUrl(QUrl::fromLocalFile("C:/Users/a b.txt")),
                 QString("C:/Users/a b.txt"));
        QCOMPARE(util()->decodeLocalFileUrl(QUrl("https://example.org/a b")),
                 QString("https://example.org/a b"));
        QCOMPARE(util()->getFileName("/x/y/report.pdf"), QString("report.pdf"));
        QVERIFY(util()->isUrlExists(QUrl("https://example.org/none")));
        QVERIFY(!util()->isUrlExists(QUrl::fromLocalFile("/no/such/file")));
        QVERIFY(util()->isUrlExists(QUrl::fromLocalFile(QDir::tempPath())));
    }

    void webAndMailAddresses()
    {
        QVERIFY(util()->isWebUrl("  https://example.org/path?q=1 "));
        QVERIFY(util()->isWebUrl("see:ftp://host"));
        QVERIFY(!util()->isWebUrl("https://example.org/a b"));
        QVERIFY(!util()->isWebUrl("https://example.org\nnext"));
        QVERIFY(!util()->isWebUrl("example.org"));
        QVERIFY(util()->isEmailUrl(" someone@example.org "));
        QVERIFY(!util()->isEmailUrl("someone@localhost"));
        QVERIFY(!util()->isEmailUrl("two words@example.org"));
        QVERIFY(!util()->isEmailUrl(""));
    }

    void textHelpers()
    {
        QCOMPARE(util()->simplified("  a \n\t b  "), QString("a b"));
        QCOMPARE(util()->convertHtml2Plain("<p>one <b>two</b></p>"), QString("one two"));
        QVERIFY(util()->isRichText("<b>x</b>"));
        QVERIFY(!util()->isRichText("plain x"));
    }

    void keyTexts()
    {
        QCOMPARE(util()->getPortableTextFromKey(Qt::Key_Shift), QString("Shift"));
        QCOMPARE(util()->getPortableTextFromKey(Qt::Key_Control), QString("Ctrl"));
        QCOMPARE(util()->getPortableTextFromKey(Qt::Key_Meta), QString("Meta"));
        QCOMPARE(util()->getPortableTextFromKey(Qt::Key_Alt), QString("Alt"));
        QCOMPARE(util()->getPortableTextFromKey(Qt::Key_C), QString("C"));
        QCOMPARE(util()->getPortableTextFromKey(Qt::Key_F5), QString("F5"));
    }

    void singlePictureUrls()
    {
        const QString png = QDir::tempPath() + "/pic.png";
        QImage(4, 4, QImage::Format_RGB32).save(png);
        const QString txt = QDir::tempPath() + "/pic.txt";
        QFile f(txt);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
        f.close();
        // The content decides, not the name.
        const QString disguised = QDir::tempPath() + "/picture.dat";
        QFile::copy(png, disguised);
        const QUrl u = QUrl::fromLocalFile(png);
        QVERIFY(util()->isSinglePixUrl(QVariant::fromValue(QList<QUrl>{u})));
        QVERIFY(util()->isSinglePixUrl(QVariantList{u}));
        QVERIFY(util()->isSinglePixUrl(
            QVariant::fromValue(QList<QUrl>{QUrl::fromLocalFile(disguised)})));
        QVERIFY(!util()->isSinglePixUrl(QVariant::fromValue(QList<QUrl>{u, u})));
        QVERIFY(
            !util()->isSinglePixUrl(QVariant::fromValue(QList<QUrl>{QUrl::fromLocalFile(txt)})));
        QVERIFY(!util()->isSinglePixUrl(QVariant()));
    }
};

TOLVANE_TEST_MAIN(TestTextHelpers)
#include "tst_text_helpers.moc"
