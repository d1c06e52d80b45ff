// Two real tolvane processes, each in a network namespace of its own with its own X server,
// bus and HOME, joined by a veth pair: one links to the other on port 8121, a copy on either
// shows in the other's mirror list, and a file and an image are downloaded across. The link
// is encrypted: tcpdump on the wire sees none of the conversation, texts or files.
#include "isolated_env.h"
#include "linked_host.h"
#include "netns_pair.h"

#include <QBuffer>
#include <QImage>
#include <QJsonArray>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

namespace {
const QString kPrefix = QStringLiteral("tlv13");
const QString kSubnet = QStringLiteral("10.213.0");
const QString kA = kSubnet + QStringLiteral(".1");
const QString kB = kSubnet + QStringLiteral(".2");
const QString kPassword = QStringLiteral("open sesame");

// The first row of the first linked host's mirror list that satisfies accept, or {}.
QJsonObject FindRow(const QJsonArray &hosts, const std::function<bool(const QJsonObject &)> &accept)
{
    if (hosts.isEmpty())
        return {};
    for (const QJsonValue &row : hosts.first().toObject().value("rows").toArray()) {
        if (accept(row.toObject()))
            return row.toObject();
    }
    return {};
}

QJsonObject WaitForRow(LinkedHost &host, const std::function<bool(const QJsonObject &)> &accept)
{
    QJsonObject found;
    const bool in_time = QTest::qWaitFor(
        [&] {
            found = FindRow(host.hosts(), accept);
            return !found.isEmpty();
        },
        30000);
    return in_time ? found : QJsonObject();
}

// tcpdump on one end of the veth pair, writing every packet whole into a file.
class Capture
{
public:
    bool start(const QString &netns, const QString &device, const QString &file)
    {
        m_file = file;
        m_dump.setProcessChannelMode(QProcess::MergedChannels);
        m_dump.start(QStringLiteral("ip"), {"netns", "exec", netns, "tcpdump", "-i", device, "-s",
                                            "0", "-U", "-n", "-Z", "root", "-w", file});
        // It says when it listens.
        return m_dump.waitForStarted(5000) &&
               QTest::qWaitFor([this] { return m_dump.readAll().contains("listening"); }, 10000);
    }
    QByteArray stop()
    {
        m_dump.terminate();
        m_dump.waitForFinished(10000);
        m_report = m_dump.readAll();
        QFile f(m_file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // What tcpdump said at its end (packet counts).
    QString report() const { return QString::fromLocal8Bit(m_report); }

private:
    QByteArray m_report;
    QProcess m_dump;
    QString m_file;
};

QByteArray PictureAsPng()
{
    QImage img(64, 48, QImage::Format_RGB32);
    QPainter p(&img);
    p.fillRect(img.rect(), QColor(30, 90, 200));
    p.fillRect(QRect(8, 8, 20, 20), QColor(240, 200, 40));
    p.end();
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return png;
}
} // namespace

class TestLinkTwoHosts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { NetnsPair::removeStale(kPrefix); }
    void linkMirrorAndDownload();
};

void TestLinkTwoHosts::linkMirrorAndDownload()
{
    NetnsPair net(kPrefix, kSubnet);
    if (!net.error().isEmpty())
        QSKIP(qPrintable(net.error()));
    LinkedHost::Options options_b;
    options_b.password = kPassword;
    LinkedHost a(net.nameA(), LinkedHost::Options());
    LinkedHost b(net.nameB(), options_b);
    QString why;
    QTemporaryDir capture_dir;
    Capture capture;
    const bool capturing =
        !QStandardPaths::findExecutable("tcpdump").isEmpty() &&
        capture.start(net.nameA(), net.deviceA(), capture_dir.path() + "/a.pcap");
    if (!capturing)
        qWarning("tcpdump could not start: the wire is not checked");
    QVERIFY2(a.start(&why), qPrintable(why));
    QVERIFY2(b.start(&why), qPrintable(why));

    a.command({{"cmd", "connect"}, {"ip", kB}, {"port", 8121}, {"pwd", kPassword}});
    QVERIFY2(a.waitForSignal("sigConnectResult",
                             [](const QJsonArray &args) { return args.at(0).toBool(); }),
             qPrintable(a.log()));
    QVERIFY(QTest::qWaitFor(
        [&] {
            const QJsonArray ha = a.hosts();
            const QJsonArray hb = b.hosts();
            return ha.size() == 1 && hb.size() == 1 &&
                   ha.first().toObject().value("is_init").toBool() &&
                   hb.first().toObject().value("is_init").toBool();
        },
        60000));
    const QJsonObject seen_by_b = b.hosts().first().toObject();
    QCOMPARE(seen_by_b.value("ip").toString(), kA);
    // Encrypted, with the same verification code on both sides, told once at this first link.
    const QJsonObject seen_by_a = a.hosts().first().toObject();
    QVERIFY(seen_by_a.value("encrypted").toBool());
    QVERIFY(seen_by_b.value("encrypted").toBool());
    const QString code = seen_by_a.value("code").toString();
    QCOMPARE(code.size(), 7);
    QCOMPARE(seen_by_b.value("code").toString(), code);
    for (LinkedHost *h : {&a, &b})
        QVERIFY(h->waitForSignal("sigFirstLink",
                                 [&](const QJsonArray &args) { return args.at(1) == code; }));
    QCOMPARE(seen_by_b.value("os").toString(), QStringLiteral("windows"));
    QCOMPARE(a.hosts().first().toObject().value("ip").toString(), kB);

    // A text copied on either host shows in the other's mirror list.
    const QString text = QStringLiteral("copied on host A at ") +
                         QString::number(QRandomGenerator::global()->generate());
    QVERIFY(a.copy("UTF8_STRING", text.toUtf8()));
    QVERIFY2(
        !WaitForRow(b, [&](const QJsonObject &r) { return r.value("plain") == text; }).isEmpty(),
        qPrintable(b.log()));
    const QString back = QStringLiteral("copied on host B");
    QVERIFY(b.copy("UTF8_STRING", back.toUtf8()));
    QVERIFY(
        !WaitForRow(a, [&](const QJsonObject &r) { return r.value("plain") == back; }).isEmpty());

    // A file copied on A is downloaded by B into a place of B's choosing.
    const QString file = a.env().root() + QStringLiteral("/home/quarterly report.txt");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("numbers that only host A has\n");
    f.close();
    QVERIFY(a.copy("text/uri-list", QUrl::fromLocalFile(file).toEncoded() + "\r\n"));
    QVERIFY(
        !WaitForRow(b, [&](const QJsonObject &r) { return r.value("plain") == file; }).isEmpty());
    const QString save = b.env().root() + QStringLiteral("/home/report from A.txt");
    b.command({{"cmd", "download_file"}, {"ip", kA}, {"path", file}, {"save", save}});
    QVERIFY(b.waitForSignal("sigFileDownloaded",
                            [&](const QJsonArray &args) { return args.at(0) == save; }));
    QCOMPARE(ReadAll(save), QByteArray("numbers that only host A has\n"));

    // A large file crosses whole: over TLS the end of the stream must not cut off its tail.
    const QString big = a.env().root() + QStringLiteral("/home/big.bin");
    QByteArray big_body(48 * 1024 * 1024 + 4321, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(big_body.data()),
                                  big_body.size() / 4);
    QFile bf(big);
    QVERIFY(bf.open(QIODevice::WriteOnly) && bf.write(big_body) == big_body.size());
    bf.close();
    QVERIFY(a.copy("text/uri-list", QUrl::fromLocalFile(big).toEncoded() + "\r\n"));
    QVERIFY(
        !WaitForRow(b, [&](const QJsonObject &r) { return r.value("plain") == big; }).isEmpty());
    const QString big_save = b.env().root() + QStringLiteral("/home/big copy.bin");
    b.command({{"cmd", "download_file"}, {"ip", kA}, {"path", big}, {"save", big_save}});
    QVERIFY2(b.waitForSignal(
                 "sigFileDownloaded",
                 [&](const QJsonArray &args) { return args.at(0) == big_save; }, 60000),
             qPrintable(b.log().right(2000)));
    QVERIFY(ReadAll(big_save) == big_body);

    // An image copied on A is downloaded by B into its folder for A.
    const QByteArray png = PictureAsPng();
    QVERIFY(a.copy("image/png", png));
    const QJsonObject image_row =
        WaitForRow(b, [](const QJsonObject &r) { return r.value("type").toInt() == 2; });
    QVERIFY(!image_row.isEmpty());
    const QString md5 = image_row.value("md5").toString();
    b.command({{"cmd", "download_image"}, {"ip", kA}, {"md5", md5}});
    // Into B's own folder for files from A, named by the key.
    QString received;
    QVERIFY(b.waitForSignal("sigFileDownloaded", [&](const QJsonArray &args) {
        received = args.at(0).toString();
        return received.endsWith("/" + kA + "/" + md5 + ".png");
    }));
    QVERIFY2(received.startsWith(b.env().root() + "/"), qPrintable(received));
    const QString expected = received;
    const QByteArray stored = ReadAll(a.env().cacheDir() + "/clipboard/" + md5 + ".png");
    QVERIFY(!stored.isEmpty());
    QCOMPARE(ReadAll(expected), stored);
    QVERIFY(!QImage::fromData(stored).isNull());

    // Nothing outside what A shared: its settings file is not for fetching.
    b.command({{"cmd", "download_file"},
               {"ip", kA},
               {"path", a.env().settingsFile()},
               {"save", b.env().root() + "/home/stolen"}});
    QVERIFY(b.waitForSignal("sigFileDownloadErr", [&](const QJsonArray &args) {
        return args.at(0) == a.env().settingsFile();
    }));
    QVERIFY(!QFile::exists(b.env().root() + "/home/stolen"));

    if (!capturing)
        return;
    // What tcpdump saw: TLS records, and nothing of the link's words, texts or files. The
    // same capture of a clear-text link holds all of these (the handshake, the replies, the
    // history and file bodies go unmasked).
    const QByteArray wire = capture.stop();
    QVERIFY2(wire.size() > 20000, qPrintable(QString::number(wire.size()) + capture.report()));
    QVERIFY(wire.contains(QByteArray("\x17\x03\x03", 3))); // TLS application data
    for (const QByteArray &secret :
         {kPassword.toUtf8(), text.toUtf8(), back.toUtf8(), QByteArray("Upgrade: websocket"),
          QByteArray("tag_"), QByteArray("numbers that only host A has"),
          QByteArray("quarterly report"), png.mid(16, 32), big_body.mid(1000, 64)})
        QVERIFY2(!wire.contains(secret), secret.constData());
}

TOLVANE_TEST_MAIN(TestLinkTwoHosts)
#include "tst_link_two_hosts.moc"
