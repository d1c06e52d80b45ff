// What a copy in another program becomes, read over the real X clipboard from an owner that
// answers exactly as the recorded programs did: a browser's "Copy Image" offers the picture
// with its address as text and stays a picture; an office suite offers a rendering of the
// copied text or cells beside the text itself, and the text is what was copied.
#include "isolated_env.h"
#include "item/clipboard_offer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {
// Target lists in the order the programs announced them. "@png" answers with a small PNG;
// the other formats answer with the text given. Only the formats a reader may ask for
// carry payloads of substance.
const char *const kFirefoxHtml = "<meta http-equiv=\"content-type\" content=\"text/html; "
                                 "charset=utf-8\"><img src=\"https://www.example.org/pics/"
                                 "cat.png\" alt=\"A cat on a wall\">";
const char *const kFirefoxUrl = "https://www.example.org/pics/cat.png";
const char *const kWriterHtml =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\"><html><head><meta "
    "http-equiv=\"content-type\" content=\"text/html; charset=utf-8\"/><title></title><meta "
    "name=\"generator\" content=\"LibreOffice 7.4.7.2 (Linux)\"/></head><body lang=\"en-GB\" "
    "dir=\"ltr\"><p style=\"line-height: 115%; margin-bottom: 0.25cm\">Quarterly <b>figures</b> "
    "attached.</p></body></html>";
const char *const kCalcRangeHtml =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\"><html><head><meta "
    "name=\"generator\" content=\"LibreOffice 7.4.7.2 (Linux)\"/></head><body><table "
    "cellspacing=\"0\" border=\"0\"><colgroup width=\"85\" span=\"2\"></colgroup><tr><td "
    "height=\"17\" align=\"right\" sdval=\"1\" sdnum=\"2057;\">1</td><td align=\"right\" "
    "sdval=\"2\" sdnum=\"2057;\">2</td></tr><tr><td height=\"17\" align=\"right\" sdval=\"3\" "
    "sdnum=\"2057;\">3</td><td align=\"right\" sdval=\"4\" sdnum=\"2057;\">4</td></tr></table>"
    "</body></html>";
const char *const kCalcCellHtml =
    "<html><head><meta name=\"generator\" content=\"LibreOffice 7.4.7.2 (Linux)\"/></head>"
    "<body><table cellspacing=\"0\" border=\"0\"><tr><td height=\"17\" align=\"right\" "
    "sdval=\"42\" sdnum=\"2057;\">42</td></tr></table></body></html>";
const char *const kCalcUrlHtml =
    "<html><body><table cellspacing=\"0\" border=\"0\"><tr><td height=\"17\" align=\"left\">"
    "https://www.example.org/</td></tr></table></body></html>";

// The office suite's own formats, by name; their payloads are never read here.
const char *const kOfficeObjects[] = {
    "application/x-openoffice-embed-source-xml;windows_formatname=\"Star Embed Source (XML)\"",
    ("application/x-openoffice-objectdescriptor-xml;windows_formatname=\"Star Object "
     "Descriptor (XML)\";typename=\"calc8\""),
    "application/x-openoffice-gdimetafile;windows_formatname=\"GDIMetaFile\"",
    "application/x-openoffice-emf;windows_formatname=\"Image EMF\"",
    "application/x-openoffice-wmf;windows_formatname=\"Image WMF\""};

using Offers = QList<QPair<QString, QByteArray>>;

Offers OfficeOffers(const QByteArray &text, const QByteArray &html, bool with_html = true)
{
    Offers offers;
    for (const char *object : kOfficeObjects)
        offers << qMakePair(QString::fromLatin1(object), QByteArray("\x01\x02\x03", 3));
    offers << qMakePair(QStringLiteral("application/x-libreoffice-tsvc"), text)
           << qMakePair(QStringLiteral("text/rtf"), QByteArray("{\\rtf1\\ansi ") + text + "}")
           << qMakePair(QStringLiteral("text/richtext"), QByteArray("{\\rtf1 ") + text + "}");
    if (with_html)
        offers << qMakePair(QStringLiteral("text/html"), html);
    offers << qMakePair(QStringLiteral("image/png"), QByteArray("@png"))
           << qMakePair(QStringLiteral("image/bmp"), QByteArray("BM"))
           << qMakePair(QStringLiteral("text/plain;charset=utf-8"), text)
           << qMakePair(QStringLiteral("UTF8_STRING"), text)
           << qMakePair(QStringLiteral("STRING"), text);
    return offers;
}

Offers FirefoxCopyImage()
{
    Offers offers;
    offers << qMakePair(QStringLiteral("text/html"), QByteArray(kFirefoxHtml))
           << qMakePair(QStringLiteral("text/_moz_htmlinfo"), QByteArray("0,0"))
           << qMakePair(QStringLiteral("text/_moz_htmlcontext"),
                        QByteArray("<html><body></body></html>"));
    for (const char *type : {"UTF8_STRING", "COMPOUND_TEXT", "TEXT", "STRING",
                             "text/plain;charset=utf-8", "text/plain"})
        offers << qMakePair(QString::fromLatin1(type), QByteArray(kFirefoxUrl));
    offers << qMakePair(QStringLiteral("image/png"), QByteArray("@png"))
           << qMakePair(QStringLiteral("image/jpeg"), QByteArray("\xff\xd8\xff"))
           << qMakePair(QStringLiteral("image/bmp"), QByteArray("BM"))
           << qMakePair(QStringLiteral("image/x-icon"), QByteArray("\x00\x00\x01\x00", 4))
           << qMakePair(QStringLiteral("image/tiff"), QByteArray("II*"));
    return offers;
}
} // namespace

Q_DECLARE_METATYPE(Offers)

class TestCaptureOffers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QImage picture(16, 8, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        m_png = m_dir.filePath(QStringLiteral("picture.png"));
        QVERIFY(picture.save(m_png, "PNG"));
    }

    void recordedOffers_data()
    {
        QTest::addColumn<Offers>("offers");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");

        QTest::newRow("Firefox Copy Image")
            << FirefoxCopyImage() << int(ClipboardOffer::Image) << QString();
        QTest::newRow("Writer text")
            << OfficeOffers("Quarterly figures attached.", kWriterHtml) << int(ClipboardOffer::Html)
            << QStringLiteral("Quarterly figures attached.");
        QTest::newRow("Calc range") << OfficeOffers("1\t2\n3\t4\n", kCalcRangeHtml)
                                    << int(ClipboardOffer::Html) << QStringLiteral("1\t2\n3\t4\n");
        QTest::newRow("Calc cell") << OfficeOffers("42\n", kCalcCellHtml)
                                   << int(ClipboardOffer::Html) << QStringLiteral("42\n");
        // A cell that holds an address: the address is in the HTML's text too.
        QTest::newRow("Calc cell with an address")
            << OfficeOffers("https://www.example.org/\n", kCalcUrlHtml) << int(ClipboardOffer::Html)
            << QStringLiteral("https://www.example.org/\n");
        // Rich text without HTML beside the picture: the plain text is the item.
        QTest::newRow("picture, RTF and text")
            << OfficeOffers("Plain words", "", false) << int(ClipboardOffer::Text)
            << QStringLiteral("Plain words");
        // An empty text is no text: the picture stays.
        QTest::newRow("picture, HTML and empty text")
            << OfficeOffers("", "<img src=\"x.png\">") << int(ClipboardOffer::Image) << QString();
        QTest::newRow("picture alone")
            << Offers{qMakePair(QStringLiteral("image/png"), QByteArray("@png"))}
            << int(ClipboardOffer::Image) << QString();
    }

    void recordedOffers()
    {
        QFETCH(Offers, offers);
        QFETCH(int, kind);
        QFETCH(QString, text);
        QStringList args;
        for (const auto &offer : offers) {
            if (offer.second == "@png")
                args << QStringLiteral("--offer-file") << offer.first << m_png;
            else
                args << QStringLiteral("--offer") << offer.first << QString::fromUtf8(offer.second);
        }
        QClipboard *clipboard = QGuiApplication::clipboard();
        QSignalSpy changed(clipboard, &QClipboard::changed);
        QProcess owner;
        owner.start(QStringLiteral(TOLVANE_X11_OWNER), args);
        QVERIFY(owner.waitForStarted());
        QTRY_VERIFY(owner.canReadLine() || owner.state() != QProcess::Running);
        QCOMPARE(owner.readLine().trimmed(), QByteArray("ready"));
        QTRY_VERIFY(changed.count() > 0);

        const ClipboardOffer read = ReadClipboardOffer(clipboard->mimeData());
        QCOMPARE(int(read.kind), kind);
        if (kind == ClipboardOffer::Image) {
            QCOMPARE(QImage::fromData(read.encoded).size(), QSize(16, 8));
        } else {
            QCOMPARE(read.text, text);
        }
        owner.kill();
        owner.waitForFinished();
    }

private:
    QTemporaryDir m_dir;
    QString m_png;
};

TOLVANE_TEST_MAIN(TestCaptureOffers)
#include "tst_capture_offers.moc"
