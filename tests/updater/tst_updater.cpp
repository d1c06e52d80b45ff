// The update check against a feed server of the test's own on loopback.
#include "isolated_env.h"
#include "local_http_server.h"
#include "updater/release_notes.h"
#include "updater/updater_helper.h"
#include "url_recorder.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QSignalSpy>

namespace {
QByteArray Appcast(const QString &version, const QString &link, const QString &notes_link,
                   bool in_second_item = false)
{
    const QString enclosure =
        QStringLiteral("<enclosure url=\"%1\" sparkle:version=\"%2\" length=\"0\" "
                       "type=\"application/octet-stream\"/>")
            .arg(link.toHtmlEscaped(), version.toHtmlEscaped());
    const QString notes = QStringLiteral("<sparkle:releaseNotesLink>%1</sparkle:releaseNotesLink>")
                              .arg(notes_link.toHtmlEscaped());
    const QString first = in_second_item ? QStringLiteral("<title>old</title>") : notes + enclosure;
    const QString second = in_second_item ? notes + enclosure : QString();
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                          "<rss version=\"2.0\" "
                          "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
                          "<channel><title>Tolvane</title><item>%1</item><item>%2</item>"
                          "</channel></rss>")
        .arg(first, second)
        .toUtf8();
}

const QByteArray kNotes = "<h2>What is new</h2><p>Faster <b>search</b>.</p>"
                          "<p><img src=\"%1\" width=\"20\" height=\"20\"/>tracked</p>";
} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT
private:
    LocalHttpServer *m_server = nullptr;
    CUpdaterHelper *m_updater = nullptr;
    UrlRecorder m_browser;

    void feed(const QByteArray &xml) { m_server->serve("/updates.xml", xml); }
    QByteArray notes() { return QString::fromUtf8(kNotes).arg(m_server->url("/pic.png")).toUtf8(); }

    // The outcome signals of one check, and is_updating back at false afterwards.
    struct Outcome
    {
        int failed = 0, none = 0, found = 0;
        QList<QVariant> found_args;
    };
    Outcome check()
    {
        QSignalSpy failed(m_updater, &CUpdaterHelper::sigCheckFailed);
        QSignalSpy none(m_updater, &CUpdaterHelper::sigNoUpdates);
        QSignalSpy found(m_updater, &CUpdaterHelper::sigFoundUpdates);
        QSignalSpy changed(m_updater, &CUpdaterHelper::is_updatingChanged);
        bool seen_running = false;
        auto probe = connect(m_updater, &CUpdaterHelper::is_updatingChanged, this,
                             [&] { seen_running |= m_updater->isUpdating(); });
        m_updater->updateSilently();
        disconnect(probe);
        [&] {
            QVERIFY(seen_running);
            QCOMPARE(changed.count(), 2);
            QVERIFY(!m_updater->isUpdating());
        }();
        Outcome o{failed.count(), none.count(), found.count(), {}};
        if (!found.isEmpty())
            o.found_args = found.first();
        return o;
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationVersion("1.5.0");
        for (const char *scheme : {"http", "https", "file", "javascript"})
            QDesktopServices::setUrlHandler(scheme, &m_browser, "open");
    }

    void init()
    {
        m_server = new LocalHttpServer(this);
        QVERIFY(m_server->start());
        m_updater = new CUpdaterHelper(this);
        m_updater->setFeedUrl(QUrl(m_server->url("/updates.xml")));
        m_browser.opened.clear();
    }

    void cleanup()
    {
        delete m_updater;
        delete m_server;
    }

    void aNewerVersionIsAnnouncedWithItsNotesAndRemembered()
    {
        feed(Appcast("1.6.0", "https://downloads.example.org/tolvane-1.6.0.deb",
                     m_server->url("/notes.html")));
        m_server->serve("/notes.html", notes());
        const Outcome o = check();
        QCOMPARE(o.found, 1);
        QCOMPARE(o.failed + o.none, 0);
        QCOMPARE(o.found_args.at(0).toString(), QString("1.6.0"));
        const QString html = o.found_args.at(1).toString();
        QVERIFY2(html.contains("search") && html.contains("What is new"), qPrintable(html));
        QVERIFY2(!html.contains("pic.png") && !html.contains("<img"), qPrintable(html));
        QCOMPARE(m_server->requests(), QStringList({"/updates.xml", "/notes.html"}));

        // The next check answers from memory.
        const Outcome again = check();
        QCOMPARE(again.found, 1);
        QCOMPARE(again.found_args, o.found_args);
        QCOMPARE(m_server->requests().size(), 2);

        m_updater->downloadNewVersion();
        QCOMPARE(m_browser.opened,
                 QList<QUrl>({QUrl("https://downloads.example.org/tolvane-1.6.0.deb")}));
    }

    void theSameVersionMeansNoUpdates()
    {
        feed(Appcast("1.5.0", "https://downloads.example.org/x", m_server->url("/notes.html")));
        const Outcome o = check();
        QCOMPARE(o.none, 1);
        QCOMPARE(o.failed + o.found, 0);
        QCOMPARE(m_server->requests(), QStringList({"/updates.xml"}));
    }

    // 1.5 has fewer segments than 1.5.0 and so is older: no outcome at all.
    void anOlderVersionEndsWithoutOutcome()
    {
        for (const char *older : {"1.5", "1.4.9", "0.9"}) {
            feed(Appcast(older, "https://downloads.example.org/x", m_server->url("/notes.html")));
            const Outcome o = check();
            QCOMPARE(o.failed + o.none + o.found, 0);
        }
    }

    void unreadableFeedsFail_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("malformed XML") << QByteArray("<rss><channel><item></channel>");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("HTML page") << QByteArray("<html><body>maintenance</body></html>");
        QTest::newRow("no enclosure")
            << QByteArray("<rss><channel><item><title>x</title></item></channel></rss>");
        QTest::newRow("enclosure in the second item")
            << Appcast("1.6.0", "https://downloads.example.org/x", "https://n.example.org/", true);
        QTest::newRow("version abc")
            << Appcast("abc", "https://downloads.example.org/x", "https://n.example.org/");
        QTest::newRow("no version") << QByteArray(
            "<rss><channel><item><enclosure url=\"https://d.example.org/\"/></item></channel>"
            "</rss>");
    }
    void unreadableFeedsFail()
    {
        QFETCH(QByteArray, body);
        feed(body);
        const Outcome o = check();
        QCOMPARE(o.failed, 1);
        QCOMPARE(o.none + o.found, 0);
    }

    void httpErrorsAndRefusedAddressesFail()
    {
        m_server->serve("/updates.xml", "gone", 404);
        QCOMPARE(check().failed, 1);
        m_server->serve("/updates.xml", Appcast("1.6.0", "https://d.example.org/", "x"), 500);
        QCOMPARE(check().failed, 1);

        // Nothing listens on the port any more.
        const QUrl dead(m_server->url("/updates.xml"));
        delete m_server;
        m_server = nullptr;
        QCOMPARE(check().failed, 1);

        m_updater->setFeedUrl(QUrl("file:///etc/hostname"));
        QSignalSpy at_once(m_updater, &CUpdaterHelper::SigGotRemoteFile);
        QCOMPARE(check().failed, 1);
        QCOMPARE(at_once.count(), 1);
        QVERIFY(at_once.first().at(0).toByteArray().isEmpty());
        m_server = new LocalHttpServer(this); // for cleanup
    }

    // The check at start-up that fails says so in the log only; the user's own check
    // afterwards still reports its failure.
    void anAutomaticCheckFailsInTheLogOnly()
    {
        m_server->serve("/updates.xml", "gone", 404);
        QSignalSpy failed(m_updater, &CUpdaterHelper::sigCheckFailed);
        m_updater->updateAutomatically();
        QVERIFY(!m_updater->isUpdating());
        QCOMPARE(failed.count(), 0);
        QCOMPARE(check().failed, 1);
    }

    // More than 1 MiB is refused, whether announced by its length or not.
    void oversizedResponsesAreRefused()
    {
        const QByteArray huge(5 * 1024 * 1024, 'x');
        for (auto mode : {LocalHttpServer::Mode::Normal, LocalHttpServer::Mode::NoLength}) {
            m_server->serve("/updates.xml", huge, 200, mode);
            QCOMPARE(check().failed, 1);
        }
        // Large release notes, too: the version is not announced.
        feed(Appcast("1.6.0", "https://downloads.example.org/x", m_server->url("/notes.html")));
        m_server->serve("/notes.html", huge, 200, LocalHttpServer::Mode::NoLength);
        const Outcome o = check();
        QCOMPARE(o.found + o.failed + o.none, 0);
        // Just under the cap is fine.
        const QByteArray padded = notes() + QByteArray(1024 * 1024 - notes().size(), ' ');
        m_server->serve("/notes.html", padded);
        QCOMPARE(check().found, 1);
    }

    // A server that accepts and never answers cannot keep the check running.
    void aSilentServerEndsTheCheckWithinTheBound()
    {
        m_server->serve("/updates.xml", QByteArray(), 200, LocalHttpServer::Mode::NeverAnswers);
        QSignalSpy changed(m_updater, &CUpdaterHelper::is_updatingChanged);
        // A second request while the first waits does nothing.
        QTimer::singleShot(500, m_updater, [this] { m_updater->updateSilently(); });
        QElapsedTimer clock;
        clock.start();
        const Outcome o = check();
        const qint64 took = clock.elapsed();
        QCOMPARE(o.failed, 1);
        QCOMPARE(m_server->requests().size(), 1);
        QVERIFY2(took >= CUpdaterHelper::kCheckBoundMs - 500, qPrintable(QString::number(took)));
        QVERIFY2(took < 3 * CUpdaterHelper::kCheckBoundMs, qPrintable(QString::number(took)));
    }

    // The link goes to the browser only when it is a web address; a feed that offers
    // anything else announces nothing.
    void downloadLinksMustBeWebAddresses_data()
    {
        QTest::addColumn<QString>("link");
        QTest::newRow("file") << "file:///usr/bin/xterm";
        QTest::newRow("javascript") << "javascript:alert(1)";
        QTest::newRow("empty") << "";
        QTest::newRow("relative") << "tolvane.deb";
    }
    void downloadLinksMustBeWebAddresses()
    {
        QFETCH(QString, link);
        feed(Appcast("1.6.0", link, m_server->url("/notes.html")));
        m_server->serve("/notes.html", notes());
        const Outcome o = check();
        QCOMPARE(o.found + o.failed + o.none, 0);
        m_updater->downloadNewVersion();
        QVERIFY(m_browser.opened.isEmpty());
    }

    // Release notes are fetched from the web only.
    void notesFromOtherSchemesAreNotRead()
    {
        feed(Appcast("1.6.0", "https://downloads.example.org/x", "file:///etc/hostname"));
        QCOMPARE(check().found, 0);
        feed(Appcast("1.6.0", "https://downloads.example.org/x", ""));
        QCOMPARE(check().found, 0);
        feed(Appcast("1.6.0", "https://downloads.example.org/x", m_server->url("/empty.html")));
        m_server->serve("/empty.html", QByteArray());
        QCOMPARE(check().found, 0);
        // Without notes nothing is remembered: the next check asks the server again.
        const int asked = m_server->requests().size();
        check();
        QCOMPARE(m_server->requests().size(), asked + 2);
    }

    void notesKeepTheirTextAndLoseEveryPicture()
    {
        const QString html = RichTextWithoutImages(
            "<body background=\"http://h.example.org/a.png\">"
            "<p style=\"background-image: url(http://h.example.org/b.png)\">one "
            "<a href=\"https://tolvane.example.org/\">link</a></p>"
            "<table background=\"http://h.example.org/c.png\"><tr>"
            "<td background=\"http://h.example.org/d.png\">cell</td></tr></table>"
            "<p>two <IMG SRC=\"http://h.example.org/e.png\"> <img/src=http://h.example.org/f.png>"
            "<span style=\"background-image:url('http://h.example.org/g.png')\">three</span>"
            "</p><ul><li>界面</li></ul>");
        for (const char *pic : {"a.png", "b.png", "c.png", "d.png", "e.png", "f.png", "g.png"})
            QVERIFY2(!html.contains(pic), qPrintable(html));
        for (const char *kept :
             {"one", "two", "three", "cell", "界面", "href=\"https://tolvane.example.org/\""})
            QVERIFY2(html.contains(QString::fromUtf8(kept)), qPrintable(html));
    }
};

TOLVANE_TEST_MAIN(TestUpdater)
#include "tst_updater.moc"
