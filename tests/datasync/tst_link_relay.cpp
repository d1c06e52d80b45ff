// Two connectors linked through a relay that delays every byte, in clear text and over TLS:
// a burst of copies on both sides ends with the newest history in both mirror lists, a host
// that sends its files from another address than the one it is linked by, downloads that
// land at the chosen path (an empty file too), and a host that vanishes without closing.
#include "isolated_env.h"
#include "test_host.h"
#include "test_items.h"
#include "tls_relays.h"

#include <QElapsedTimer>
#include <QSignalSpy>

namespace {
const QString kPwd = QStringLiteral("relay pass");
const QString kRelayIp = QStringLiteral("127.0.0.1");
} // namespace

class TestLinkRelay : public QObject
{
    Q_OBJECT

private slots:
    void burstEndsWithTheNewestOnBothSides_data();
    void burstEndsWithTheNewestOnBothSides();
    void downloadsLandAtTheChosenPath_data();
    void downloadsLandAtTheChosenPath();
    void vanishedHostIsDropped_data();
    void vanishedHostIsDropped();

private:
    void addEncryptionRows();
};

void TestLinkRelay::addEncryptionRows()
{
    QTest::addColumn<bool>("encrypted");
    QTest::newRow("clear text") << false;
    QTest::newRow("encrypted") << true;
}

void TestLinkRelay::burstEndsWithTheNewestOnBothSides_data()
{
    QTest::addColumn<bool>("encrypted");
    QTest::addColumn<QString>("from");
    QTest::newRow("clear text") << false << QString();
    QTest::newRow("encrypted") << true << QString();
    // The relay leaves from 127.0.0.2: b knows a by that address, while a's files come from
    // 127.0.0.1.
    QTest::newRow("clear text, two addresses") << false << "127.0.0.2";
    QTest::newRow("encrypted, two addresses") << true << "127.0.0.2";
}

// Ten copies 100 ms apart on each side over a link with 300 ms each way: every history
// announced is served, the newest last, and neither side reports an error.
void TestLinkRelay::burstEndsWithTheNewestOnBothSides()
{
    QFETCH(bool, encrypted);
    QFETCH(QString, from);
    TestHost a(QString(), false, encrypted);
    TestHost b(kPwd, false, encrypted);
    DelayRelay relay;
    QVERIFY(relay.listen(b.port, 300, from.isEmpty() ? QHostAddress() : QHostAddress(from)));
    QVERIFY(LinkHosts(a, b, 30000, relay.port()));
    QCOMPARE(a->isEncrypted(0), encrypted);
    QSignalSpy a_err(a.connector.get(), &CConnector::sigFileDownloadErr);
    QSignalSpy b_err(b.connector.get(), &CConnector::sigFileDownloadErr);

    for (int i = 0; i < 10; ++i) {
        a.clip.prependItem(TextItem(QStringLiteral("a burst %1").arg(i)));
        b.clip.prependItem(TextItem(QStringLiteral("b burst %1").arg(i)));
        QTest::qWait(100);
    }
    QElapsedTimer since_last;
    since_last.start();
    QTRY_VERIFY_WITH_TIMEOUT(Plains(a->getModel(0)).value(0) == "b burst 9" &&
                                 Plains(b->getModel(0)).value(0) == "a burst 9",
                             30000);
    qInfo() << "newest history in both mirror lists" << since_last.elapsed()
            << "ms after the last copy";
    QCOMPARE(Plains(b->getModel(0)).size(), a.clip.rowCount());
    QCOMPARE(Plains(a->getModel(0)).size(), b.clip.rowCount());
    QCOMPARE(a_err.count(), 0);
    QCOMPARE(b_err.count(), 0);
}

void TestLinkRelay::downloadsLandAtTheChosenPath_data()
{
    addEncryptionRows();
}

// The request names the file in another form than the host announces it (redundant parts),
// and one file is empty: both end at the chosen path, and are reported there.
void TestLinkRelay::downloadsLandAtTheChosenPath()
{
    QFETCH(bool, encrypted);
    TestHost a(QString(), false, encrypted);
    TestHost b(kPwd, false, encrypted);
    DelayRelay relay;
    QVERIFY(relay.listen(b.port, 100));
    QVERIFY(LinkHosts(a, b, 30000, relay.port()));
    const QString data = b.shareFile("data.txt", "the data");
    const QString empty = b.shareFile("empty.txt", QByteArray());
    QSignalSpy done(a.connector.get(), &CConnector::sigFileDownloaded);
    QSignalSpy err(a.connector.get(), &CConnector::sigFileDownloadErr);

    const QString save_data = a.dir.path() + "/chosen/data.txt";
    const QString save_empty = a.dir.path() + "/chosen/empty.txt";
    QDir().mkpath(a.dir.path() + "/chosen");
    QString asked = data;
    asked.replace("/files/", "//files/./");
    a->downloadFile(kRelayIp, asked, save_data);
    a->downloadFile(kRelayIp, empty, save_empty);
    // The histories the shares pushed are reported too; only the downloads count here.
    const auto downloads = [&done] {
        QStringList paths;
        for (const QList<QVariant> &d : done) {
            if (!d.at(0).toString().endsWith("/history"))
                paths << d.at(0).toString();
        }
        paths.sort();
        return paths;
    };
    // Well within the receiver's own time-out: an empty file must not wait for it.
    QTRY_VERIFY_WITH_TIMEOUT(downloads().size() + err.count() >= 2, 10000);
    QCOMPARE(err.count(), 0);
    QCOMPARE(downloads(), QStringList({save_data, save_empty}));
    QCOMPARE(ReadFile(save_data), QByteArray("the data"));
    QVERIFY(QFileInfo(save_empty).isFile());
    QCOMPARE(QFileInfo(save_empty).size(), qint64(0));
    QVERIFY(!QFile::exists(a.root + kRelayIp + "/data.txt"));
}

void TestLinkRelay::vanishedHostIsDropped_data()
{
    addEncryptionRows();
}

// The relay freezes: no byte passes, no connection closes. The request waiting for its file
// is given up, then each side drops the other once its pings go unanswered.
void TestLinkRelay::vanishedHostIsDropped()
{
    QFETCH(bool, encrypted);
    TestHost a(QString(), false, encrypted);
    TestHost b(kPwd, false, encrypted);
    for (TestHost *h : {&a, &b})
        h->connector->setKeepAlive(400);
    a->setRequestTimeout(500);
    DelayRelay relay;
    QVERIFY(relay.listen(b.port, 50));
    QVERIFY(LinkHosts(a, b, 30000, relay.port()));
    const QString data = b.shareFile("data.txt", "the data");
    QSignalSpy err(a.connector.get(), &CConnector::sigFileDownloadErr);
    QSignalSpy a_stopped(a.connector.get(), &CConnector::SigConnectionStopped);
    QSignalSpy b_stopped(b.connector.get(), &CConnector::SigConnectionStopped);

    relay.freeze();
    a->downloadFile(kRelayIp, data, a.dir.path() + "/data.txt");
    QVERIFY(err.wait(10000));
    QCOMPARE(err.at(0),
             QVariantList({a.dir.path() + "/data.txt", kRelayIp, "The host did not answer."}));
    QTRY_COMPARE_WITH_TIMEOUT(a->getHostsCount(), 0, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(b->getHostsCount(), 0, 10000);
    QCOMPARE(a_stopped.count(), 1);
    QCOMPARE(b_stopped.count(), 1);
}

TOLVANE_TEST_MAIN(TestLinkRelay)
#include "tst_link_relay.moc"
