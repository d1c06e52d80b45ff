// The command dispatcher and the binary negotiation on one link, with the test playing the
// linked host through an in-process link: what is answered, when, and what is refused.
#include "clipboard/clipboard_list_model.h"
#include "datasync/host_container.h"
#include "datasync/pending_save_paths.h"
#include "datasync/tcp_file_reader.h"
#include "datasync/transfer_parser.h"
#include "isolated_env.h"
#include "item/history_file.h"
#include "item/storage_paths.h"
#include "loopback_link.h"
#include "test_host.h"
#include "test_items.h"
#include "wire_bytes.h"

#include <QSignalSpy>
#include <QStorageInfo>
#include <QSysInfo>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

namespace {
const QString kPeer = QStringLiteral("127.0.0.1");
const QString kMd5 = QStringLiteral("0123456789abcdef0123456789abcdef");

QString FileRequest(const QString &path, const QString &save = QString())
{
    return QStringLiteral("??tag_normal_file#") + path + QStringLiteral("**##!!") + save;
}

// One side of a link: a dispatcher with its own lists, password and transfer folder, and the
// host record of a link whose far end the test plays.
struct Side
{
    explicit Side(bool incoming, const QString &pwd = QStringLiteral("secret"))
    {
        root = dir.path() + "/root/";
        const LocalShare share{&clip, &pin, [pwd] { return pwd; }, root, QString(), {}};
        parser = std::make_unique<CTransferParser>(&hosts, share);
        auto pair = CLoopbackLink::makePair(kPeer, kPeer, parser.get());
        link = pair.first;
        QObject::connect(link, &CPeerLink::textReceived, parser.get(),
                         &CTransferParser::onTextReceived);
        QObject::connect(link, &CPeerLink::binaryReceived, parser.get(),
                         &CTransferParser::onBinaryReceived);
        host = hosts.add(link, new CCilpboardListModel(parser.get()), QString(), incoming);
    }
    // The records go first: their lists and links are children of the dispatcher.
    ~Side() { hosts.clear(); }
    void trust() { host->session.trusted = true; }
    // This host asks the linked host for a file, as a download does.
    void ask(const QString &path) { parser->DispatchString(link, FileRequest(path)); }
    QString shareFile(const QString &name, const QByteArray &content)
    {
        const QString path = dir.path() + "/shared/" + name;
        QDir().mkpath(QFileInfo(path).path());
        WriteFile(path, content);
        clip.prependItem(FileListItem({QUrl::fromLocalFile(path)}));
        return path;
    }
    QStringList texts() const { return link->sentTexts(); }
    QList<WireBytes::Decoded> binaries() const
    {
        QList<WireBytes::Decoded> out;
        for (const QByteArray &b : link->sentBinaries())
            out.append(WireBytes::Decode(b));
        return out;
    }
    int readers() const
    {
        return parser->findChildren<CTcpFileReader *>(QString(), Qt::FindDirectChildrenOnly).size();
    }

    QTemporaryDir dir;
    QString root;
    CCilpboardListModel clip;
    CCilpboardListModel pin;
    HostContainer hosts;
    std::unique_ptr<CTransferParser> parser;
    CLoopbackLink *link = nullptr;
    HostInfo *host = nullptr;
};

QString NotFound(const QString &path)
{
    return QStringLiteral("!!tag_normal_file_error#not_found") + path;
}

QStringList OfferedPaths(const LinkSession &session)
{
    QStringList out;
    for (const FileOffer &offer : session.offered)
        out << offer.path;
    return out;
}
} // namespace

class TestTransferParser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<CTcpFileReader *>();
        qRegisterMetaType<CPeerLink *>();
    }
    void requestsBeforePasswordGetNothing();
    void passwordCheck_data();
    void passwordCheck();
    void outgoingLinkHearsOnlyTheAnswer();
    void answersOnTheRequestingLink();
    void repliesFillTheHostRecord();
    void servesHistoryAsAnAnnouncement();
    void historyThatCannotBeWrittenIsNotFound();
    void servesOnlyStoredImagesByKey();
    void servesOnlyListedFiles();
    void failedRequestsReachTheRequester_data();
    void failedRequestsReachTheRequester();
    void historyIsAskedAgainAtMostThreeTimes();
    void announcementStartsAReceiver();
    void onlyAskedFilesAreReceived();
    void oversizedHistoryIsRefused();
    void runningDownloadsKeepTheirRoom();
    void announcedNamesStayInTheTransferFolder_data();
    void announcedNamesStayInTheTransferFolder();
    void unusableAnnouncementsAreRefused_data();
    void unusableAnnouncementsAreRefused();
    void pendingSavePathBelongsToItsHost();
    void receiversPerLinkAreCapped();
    void sendsOnlyOfferedFilesOnce();
    void unparsableAndTextBodiesAreIgnored();
};

void TestTransferParser::requestsBeforePasswordGetNothing()
{
    Side s(true);
    const QString shared = s.shareFile("a.txt", "content");
    QDir().mkpath(StoragePaths::ClipboardDir());
    QFile img(StoragePaths::ImgPath(kMd5));
    QVERIFY(img.open(QIODevice::WriteOnly));
    img.write("png");
    img.close();
    QSignalSpy failed(s.parser.get(), &CTransferAbstract::sigFailed2Receive);

    for (const QString &cmd :
         {QStringLiteral("??tag_os#"), QStringLiteral("??tag_host#"),
          QStringLiteral("??tag_normal_file#history"),
          QStringLiteral("??tag_normal_file#/_*tag_file_img*/_") + kMd5, FileRequest(shared),
          QStringLiteral("!!tag_host#name"), QStringLiteral("!!tag_os#w"),
          QStringLiteral("!!tag_normal_file_error#not_foundhistory"),
          QStringLiteral("!!tag_pwd#ok")})
        s.link->deliverText(cmd);
    s.link->deliverBinary(WireBytes::FileRequest("/x/a.txt", 3));
    s.link->deliverBinary(WireBytes::FileResponse(true, 1234, shared));
    QTest::qWait(100);
    QCOMPARE(s.texts(), QStringList());
    QVERIFY(s.link->sentBinaries().isEmpty());
    QCOMPARE(s.readers(), 0);
    QCOMPARE(failed.count(), 0);
    QVERIFY(s.host->name.isEmpty() && s.host->os.isEmpty());
    QVERIFY(!s.host->session.trusted);

    QSignalSpy accepted(s.parser.get(), &CTransferParser::sigConnectionAccepted);
    s.link->deliverText(QStringLiteral("??tag_pwd#secret"));
    QCOMPARE(s.texts(), QStringList({"!!tag_pwd#ok", "??tag_os#"}));
    QCOMPARE(accepted.count(), 1);
    QVERIFY(s.host->session.trusted);
    s.link->deliverText(QStringLiteral("??tag_os#"));
    QCOMPARE(s.texts().last(), QStringLiteral("!!tag_os#w"));
}

void TestTransferParser::passwordCheck_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("given");
    QTest::addColumn<bool>("passes");
    QTest::newRow("both empty") << ""
                                << "" << true;
    QTest::newRow("none set, one given") << ""
                                         << "x" << false;
    QTest::newRow("set, none given") << "pw"
                                     << "" << false;
    QTest::newRow("equal") << "pw"
                           << "pw" << true;
    QTest::newRow("leading space") << "pw"
                                   << " pw" << false;
    QTest::newRow("spaces kept") << " pw "
                                 << " pw " << true;
    QTest::newRow("case") << "Pw"
                          << "pw" << false;
    QTest::newRow("unicode") << "pässwört"
                             << "pässwört" << true;
}

void TestTransferParser::passwordCheck()
{
    QFETCH(QString, setting);
    QFETCH(QString, given);
    QFETCH(bool, passes);
    Side s(true, setting);
    QSignalSpy closed(s.link, &CPeerLink::disconnected);
    s.link->deliverText(QStringLiteral("??tag_pwd#") + given);
    if (passes) {
        QCOMPARE(s.texts(), QStringList({"!!tag_pwd#ok", "??tag_os#"}));
        QVERIFY(s.link->isOpen());
    } else {
        QCOMPARE(s.texts(), QStringList({"!!tag_pwd#err"}));
        QVERIFY(!s.link->isOpen());
        QVERIFY(closed.wait(2000));
    }
    QCOMPARE(s.host->session.trusted, passes);
}

void TestTransferParser::outgoingLinkHearsOnlyTheAnswer()
{
    Side s(false);
    QSignalSpy pwd(s.parser.get(), &CTransferParser::sigConnectionPwdRet);
    QSignalSpy rejected(s.parser.get(), &CTransferParser::sigConnectionRejected);
    // The server asks nothing before it has said "ok", and never asks for a password.
    s.link->deliverText(QStringLiteral("??tag_os#"));
    s.link->deliverText(QStringLiteral("??tag_pwd#secret"));
    s.link->deliverText(QStringLiteral("??tag_normal_file#history"));
    QCOMPARE(s.texts(), QStringList());

    s.link->deliverText(QStringLiteral("??tag_connection_err#"));
    QCOMPARE(rejected.count(), 1);
    QCOMPARE(rejected.at(0).at(0).value<CPeerLink *>(), static_cast<CPeerLink *>(s.link));

    s.link->deliverText(QStringLiteral("!!tag_pwd#ok"));
    QCOMPARE(pwd.count(), 1);
    QCOMPARE(pwd.at(0).at(1).toBool(), true);
    QVERIFY(s.host->session.trusted);
    s.link->deliverText(QStringLiteral("!!tag_pwd#err")); // answered once
    QCOMPARE(pwd.count(), 1);

    s.link->deliverText(QStringLiteral("??tag_pwd#secret"));
    QCOMPARE(s.texts(), QStringList());
    s.link->deliverText(QStringLiteral("??tag_os#"));
    QCOMPARE(s.texts(), QStringList({"!!tag_os#w"}));

    Side refused(false);
    QSignalSpy refused_pwd(refused.parser.get(), &CTransferParser::sigConnectionPwdRet);
    refused.link->deliverText(QStringLiteral("!!tag_pwd#err"));
    QCOMPARE(refused_pwd.count(), 1);
    QCOMPARE(refused_pwd.at(0).at(1).toBool(), false);
    QVERIFY(!refused.host->session.trusted);
}

void TestTransferParser::answersOnTheRequestingLink()
{
    Side s(true);
    s.trust();
    QSignalSpy rejected(s.parser.get(), &CTransferParser::sigConnectionRejected);
    s.link->deliverText(QStringLiteral("??tag_os#"));
    s.link->deliverText(QStringLiteral("??tag_os#x"));
    s.link->deliverText(QStringLiteral("??tag_host#"));
    s.link->deliverText(QStringLiteral("??tag_host#x"));
    s.link->deliverText(QStringLiteral("??tag_connection_err#"));
    s.link->deliverText(QStringLiteral("hello"));
    s.link->deliverText(QStringLiteral("??tag_whatever#"));
    QCOMPARE(s.texts(), QStringList({"!!tag_os#w", "!!tag_host#" + QSysInfo::machineHostName()}));
    QCOMPARE(rejected.count(), 0); // only a server refuses, never a client
    QVERIFY(s.link->isOpen());
}

void TestTransferParser::repliesFillTheHostRecord()
{
    Side s(false);
    s.trust();
    s.link->deliverText(QStringLiteral("!!tag_os#q"));
    QCOMPARE(s.host->os, QString());
    QCOMPARE(s.texts(), QStringList());
    s.link->deliverText(QStringLiteral("!!tag_os#m"));
    QCOMPARE(s.host->os, QStringLiteral("osx"));
    s.link->deliverText(QStringLiteral("!!tag_os#w"));
    QCOMPARE(s.host->os, QStringLiteral("windows"));
    s.link->deliverText(QStringLiteral("!!tag_host#peer box"));
    QCOMPARE(s.host->name, QStringLiteral("peer box"));
    s.link->deliverText(QStringLiteral("!!tag_normal_file_ok#/x"));
    QCOMPARE(s.texts(), QStringList({"??tag_host#", "??tag_host#", "??tag_normal_file#history"}));
}

void TestTransferParser::servesHistoryAsAnAnnouncement()
{
    Side s(true);
    s.trust();
    FillTextRows(s.clip, {"newest", "middle", "oldest"});
    s.link->deliverText(QStringLiteral("??tag_normal_file#history"));
    // Saved off the interface's thread first.
    QTRY_COMPARE(s.binaries().size(), 1);
    QCOMPARE(s.texts(), QStringList());
    const auto sent = s.binaries();
    QCOMPARE(sent.at(0).body, 2);
    const QString path = QFileInfo(s.root + "history").absoluteFilePath();
    QCOMPARE(sent.at(0).path, path);
    QCOMPARE(sent.at(0).size, QFileInfo(path).size());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const HistoryFile::ReadResult back = HistoryFile::Read(f);
    QCOMPARE(back.rows.size(), 3);
    QCOMPARE(back.rows.at(0).plain, QStringLiteral("newest"));
}

void TestTransferParser::historyThatCannotBeWrittenIsNotFound()
{
    Side s(true);
    s.trust();
    // The transfer folder cannot exist where a file already is.
    QFile blocker(s.root.chopped(1));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    s.link->deliverText(QStringLiteral("??tag_normal_file#history"));
    QTRY_COMPARE(s.texts(), QStringList({"!!tag_normal_file_error#not_foundhistory"}));
    QVERIFY(s.link->sentBinaries().isEmpty());
}

void TestTransferParser::servesOnlyStoredImagesByKey()
{
    Side s(true);
    s.trust();
    QDir().mkpath(StoragePaths::ClipboardDir());
    const QString stored = StoragePaths::ImgPath(kMd5);
    QFile img(stored);
    QVERIFY(img.open(QIODevice::WriteOnly));
    img.write("png bytes");
    img.close();
    const QString upper = kMd5.toUpper();
    QFile::copy(stored, StoragePaths::ImgPath(upper));
    const QString absent = QStringLiteral("ffffffffffffffffffffffffffffffff");

    const QString marker = QStringLiteral("??tag_normal_file#/_*tag_file_img*/_");
    // Stored, but no item shows it (any more): not served.
    s.link->deliverText(marker + kMd5);
    QCOMPARE(s.texts(), QStringList({NotFound(stored)}));
    s.link->clearSent();
    s.clip.prependItem(ImageItem(kMd5));
    s.clip.prependItem(ImageItem(upper));
    s.link->deliverText(marker + kMd5);
    QCOMPARE(s.binaries().size(), 1);
    QCOMPARE(s.binaries().at(0).path, QFileInfo(stored).absoluteFilePath());
    QCOMPARE(s.binaries().at(0).size, qint64(9));

    s.link->clearSent();
    for (const QString &key : {absent, upper, kMd5.left(31), QStringLiteral("../../../etc/passwd"),
                               QString("../clipboard/") + kMd5, QString()})
        s.link->deliverText(marker + key);
    QVERIFY(s.link->sentBinaries().isEmpty());
    QCOMPARE(s.texts().size(), 6);
    QCOMPARE(s.texts().at(0), NotFound(StoragePaths::ImgPath(absent)));
    for (const QString &t : s.texts())
        QVERIFY2(t.startsWith(NotFound(QString())), qPrintable(t));
}

void TestTransferParser::servesOnlyListedFiles()
{
    Side s(true);
    s.trust();
    const QString shared = s.shareFile("a.txt", "shared content");
    const QString unlisted = s.dir.path() + "/shared/b.txt";
    QFile b(unlisted);
    QVERIFY(b.open(QIODevice::WriteOnly));
    b.close();
    const QString folder = s.dir.path() + "/shared/folder";
    QDir().mkpath(folder);
    s.pin.prependItem(FileListItem({QUrl::fromLocalFile(folder)}));
    s.clip.prependItem(FileListItem({QUrl::fromLocalFile("/dev/zero")}));

    s.link->deliverText(FileRequest(shared, "/save/a.txt"));
    QCOMPARE(s.binaries().size(), 1);
    QCOMPARE(s.binaries().at(0).path, shared);
    QCOMPARE(s.binaries().at(0).size, qint64(14));
    s.link->deliverText(FileRequest(s.dir.path() + "/shared/x/../a.txt"));
    QCOMPARE(s.binaries().size(), 2);
    QCOMPARE(s.binaries().at(1).path, shared);
    s.link->clearSent();

    s.link->deliverText(FileRequest(folder));
    QCOMPARE(s.texts(), QStringList({"!!tag_normal_file_error#is_dir" + folder}));
    s.link->clearSent();

    const QStringList refused = {unlisted,
                                 "/etc/hostname",
                                 shared + "/../../../../../../etc/hostname",
                                 s.dir.path() + "/shared",
                                 "a.txt",
                                 "/dev/zero",
                                 "",
                                 "../../etc/passwd"};
    for (const QString &path : refused)
        s.link->deliverText(FileRequest(path));
    QVERIFY(s.link->sentBinaries().isEmpty());
    QStringList expected;
    for (const QString &path : refused)
        expected << NotFound(path);
    QCOMPARE(s.texts(), expected);
    // One offer per announcement: each acceptance gets its file.
    QCOMPARE(OfferedPaths(s.host->session), QStringList({shared, shared}));
}

void TestTransferParser::failedRequestsReachTheRequester_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    QTest::newRow("folder") << "!!tag_normal_file_error#is_dirC:/data"
                            << "C:/data"
                            << "Can't transfer a folder.";
    QTest::newRow("not found") << "!!tag_normal_file_error#not_found/a b.txt"
                               << "/a b.txt"
                               << "File not found";
    QTest::newRow("unknown") << "!!tag_normal_file_error#unknown/c"
                             << "/c"
                             << "Unknow error.";
}

void TestTransferParser::failedRequestsReachTheRequester()
{
    QFETCH(QString, reply);
    QFETCH(QString, path);
    QFETCH(QString, message);
    Side s(false);
    s.trust();
    QSignalSpy failed(s.parser.get(), &CTransferAbstract::sigFailed2Receive);
    s.link->deliverText(reply);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0), QVariantList({path, kPeer, message}));
    QTest::qWait(200);
    QCOMPARE(s.texts(), QStringList()); // only a failed history is asked again
}

void TestTransferParser::historyIsAskedAgainAtMostThreeTimes()
{
    Side s(false);
    s.trust();
    QSignalSpy failed(s.parser.get(), &CTransferAbstract::sigFailed2Receive);
    const QString failure = QStringLiteral("!!tag_normal_file_error#not_foundhistory");
    const QString request = QStringLiteral("??tag_normal_file#history");
    for (int i = 1; i <= 3; ++i) {
        QElapsedTimer t;
        t.start();
        s.link->deliverText(failure);
        QCOMPARE(s.texts().count(request), i - 1); // not at once
        QTRY_COMPARE_WITH_TIMEOUT(s.texts().count(request), i, 10000);
        QVERIFY2(t.elapsed() >= 900, qPrintable(QString::number(t.elapsed())));
    }
    s.link->deliverText(failure);
    QTest::qWait(1500);
    QCOMPARE(s.texts().count(request), 3);
    QCOMPARE(failed.count(), 4);
    QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("history"));
}

void TestTransferParser::announcementStartsAReceiver()
{
    Side s(true);
    s.trust();
    QSignalSpy started(s.parser.get(), &CTransferAbstract::sigReaderStarted);
    s.ask("/remote/dir/a.txt");
    s.link->deliverBinary(WireBytes::FileRequest("/remote/dir/a.txt", 5));
    QCOMPARE(started.count(), 1);
    auto *reader = started.at(0).at(0).value<CTcpFileReader *>();
    QCOMPARE(reader->path(), s.root + kPeer + "/a.txt");
    QCOMPARE(reader->ip(), kPeer);
    QCOMPARE(s.binaries().size(), 1);
    const WireBytes::Decoded reply = s.binaries().at(0);
    QCOMPARE(reply.body, 3);
    QVERIFY(reply.accept);
    QCOMPARE(reply.port, qint64(reader->serverPort()));
    QCOMPARE(reply.path, QStringLiteral("/remote/dir/a.txt"));

    QSignalSpy received(reader, &CTcpFileReader::sigReceived);
    QVERIFY(SendOverTcp(quint16(reply.port), "hello"));
    QVERIFY(received.wait(10000));
    QCOMPARE(ReadFile(s.root + kPeer + "/a.txt"), QByteArray("hello"));
}

void TestTransferParser::onlyAskedFilesAreReceived()
{
    Side s(true);
    s.trust();
    QSignalSpy started(s.parser.get(), &CTransferAbstract::sigReaderStarted);
    QSignalSpy failed(s.parser.get(), &CTransferAbstract::sigFailed2Receive);
    const auto taken = [&](const QString &path) {
        const int before = started.count();
        s.link->deliverBinary(WireBytes::FileRequest(path, 4));
        if (started.count() != before + 1)
            return false;
        // Done with: a link has only a few receivers at a time.
        delete qvariant_cast<CTcpFileReader *>(started.last().at(0));
        return true;
    };
    const auto unasked = [&](const QString &path) {
        const int before = failed.count();
        const int answers = s.link->sentBinaries().size();
        const int readers = s.readers();
        s.link->deliverBinary(WireBytes::FileRequest(path, 4));
        return failed.count() == before + 1 && s.readers() == readers &&
               failed.last() == QVariantList({path, kPeer,
                                              "The host sent a file that was not "
                                              "asked for."}) &&
               s.link->sentBinaries().size() == answers;
    };
    const QString history = QStringLiteral("C:/Users/p/AppData/Local/Temp/Tolvane/history");

    QVERIFY(unasked("/r/plain.txt"));
    QVERIFY(!QDir(s.root + kPeer).exists()); // not even the host's folder
    s.ask("/r/plain.txt");
    QVERIFY(taken("C:\\r\\plain.txt")); // the owner may write its path its own way
    QVERIFY(unasked("/r/plain.txt"));   // one request, one file

    s.parser->DispatchString(s.link, QStringLiteral("??tag_normal_file#/_*tag_file_img*/_") + kMd5);
    QVERIFY(unasked("/cache/clipboard/ffffffffffffffffffffffffffffffff.png"));
    QVERIFY(taken("/cache/clipboard/" + kMd5 + ".png"));

    // A request the linked host refused brings nothing later.
    s.ask("/r/gone.txt");
    s.link->deliverText(NotFound("/r/gone.txt"));
    QVERIFY(unasked("/r/gone.txt"));

    // The history comes when asked; pushed unasked only once this host gave its own.
    QVERIFY(unasked(history));
    s.link->deliverText(QStringLiteral("!!tag_host#box"));
    QCOMPARE(s.texts().last(), QStringLiteral("??tag_normal_file#history"));
    QVERIFY(taken(history));
    QVERIFY(unasked(history));
    s.link->deliverText(QStringLiteral("??tag_normal_file#history"));
    QTRY_COMPARE(s.binaries().last().body, 2); // this host's history offered
    QVERIFY(taken(history));
    QVERIFY(taken(history));
    QVERIFY(unasked("/r/plain.txt"));
}

void TestTransferParser::oversizedHistoryIsRefused()
{
    Side s(true);
    s.trust();
    QSignalSpy started(s.parser.get(), &CTransferAbstract::sigReaderStarted);
    QSignalSpy failed(s.parser.get(), &CTransferAbstract::sigFailed2Receive);
    s.link->deliverText(QStringLiteral("!!tag_host#box"));
    s.link->deliverBinary(
        WireBytes::FileRequest("/t/history", CTransferAbstract::kMaxHistoryBytes + 1));
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0),
             QVariantList({"/t/history", kPeer, "The history of the host is too large."}));
    QCOMPARE(s.readers(), 0);
    QVERIFY(s.link->sentBinaries().isEmpty());

    s.link->deliverText(QStringLiteral("!!tag_host#box")); // asked again
    s.link->deliverBinary(WireBytes::FileRequest("/t/history", 100));
    QCOMPARE(started.count(), 1);
}

void TestTransferParser::runningDownloadsKeepTheirRoom()
{
    Side s(true);
    s.trust();
    QDir().mkpath(s.root);
    const qint64 slack = 512LL * 1024 * 1024;
    const qint64 room = QStorageInfo(s.root).bytesAvailable() - CTransferAbstract::kFreeSpaceMargin;
    if (room < 2 * slack)
        QSKIP("too little free space here to leave room for a second download");
    QSignalSpy started(s.parser.get(), &CTransferAbstract::sigReaderStarted);
    QSignalSpy failed(s.parser.get(), &CTransferAbstract::sigFailed2Receive);
    s.ask("/r/first.bin");
    s.ask("/r/second.bin");
    s.link->deliverBinary(WireBytes::FileRequest("/r/first.bin", room - slack));
    QCOMPARE(started.count(), 1);
    // Nothing is written yet, but the first download will fill what it announced.
    s.link->deliverBinary(WireBytes::FileRequest("/r/second.bin", 2 * slack));
    QCOMPARE(started.count(), 1);
    QCOMPARE(failed.count(), 1);
    QVERIFY2(failed.at(0).at(2).toString().startsWith("Not enough free space"),
             qPrintable(failed.at(0).at(2).toString()));
}

void TestTransferParser::announcedNamesStayInTheTransferFolder_data()
{
    QTest::addColumn<QString>("announced");
    QTest::addColumn<QString>("name");
    QTest::newRow("climbing") << "../../evil.txt"
                              << "evil.txt";
    QTest::newRow("absolute") << "/etc/passwd"
                              << "passwd";
    QTest::newRow("windows") << "C:\\x\\..\\evil.bat"
                             << "evil.bat";
    QTest::newRow("mixed") << "a/b\\..\\..\\c"
                           << "c";
}

void TestTransferParser::announcedNamesStayInTheTransferFolder()
{
    QFETCH(QString, announced);
    QFETCH(QString, name);
    Side s(true);
    s.trust();
    QSignalSpy started(s.parser.get(), &CTransferAbstract::sigReaderStarted);
    s.ask(announced);
    s.link->deliverBinary(WireBytes::FileRequest(announced, 2));
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.at(0).at(0).value<CTcpFileReader *>()->path(), s.root + kPeer + "/" + name);
}

void TestTransferParser::unusableAnnouncementsAreRefused_data()
{
    QTest::addColumn<QString>("announced");
    QTest::addColumn<qint64>("size");
    QTest::newRow("empty") << "" << qint64(1);
    QTest::newRow("dot") << "/a/." << qint64(1);
    QTest::newRow("dotdot") << ".." << qint64(1);
    QTest::newRow("folder") << "/a/b/" << qint64(1);
    QTest::newRow("negative size") << "/a/b.txt" << qint64(-1);
}

void TestTransferParser::unusableAnnouncementsAreRefused()
{
    QFETCH(QString, announced);
    QFETCH(qint64, size);
    Side s(true);
    s.trust();
    QSignalSpy failed(s.parser.get(), &CTransferAbstract::sigFailed2Receive);
    s.link->deliverBinary(WireBytes::FileRequest(announced, size));
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(1).toString(), kPeer);
    QCOMPARE(s.readers(), 0);
    QVERIFY(s.link->sentBinaries().isEmpty());
    QVERIFY(!QDir(s.root + kPeer).exists() || QDir(s.root + kPeer).isEmpty());
}

void TestTransferParser::pendingSavePathBelongsToItsHost()
{
    Side s(true);
    s.trust();
    const QString save = s.dir.path() + "/saved.txt";
    PendingSavePaths::Set(kPeer, "/r/a.txt", save);
    PendingSavePaths::Set("10.9.9.9", "/r/b.txt", s.dir.path() + "/other.txt");
    QSignalSpy started(s.parser.get(), &CTransferAbstract::sigReaderStarted);
    s.ask("/r/a.txt");
    s.ask("/r/b.txt");
    s.link->deliverBinary(WireBytes::FileRequest("/r/a.txt", 3));
    s.link->deliverBinary(WireBytes::FileRequest("/r/b.txt", 3));
    QCOMPARE(started.count(), 2);
    auto *first = started.at(0).at(0).value<CTcpFileReader *>();
    auto *second = started.at(1).at(0).value<CTcpFileReader *>();
    QCOMPARE(first->path(), save);
    QCOMPARE(second->path(), s.root + kPeer + "/b.txt");

    // The entry is used once: asked again without a save path, the file goes to the
    // transfer folder.
    QSignalSpy done(first, &CTcpFileReader::sigReceived);
    QVERIFY(SendOverTcp(first->serverPort(), "abc"));
    QVERIFY(done.wait(10000));
    QCOMPARE(ReadFile(save), QByteArray("abc"));
    s.ask("/r/a.txt");
    s.link->deliverBinary(WireBytes::FileRequest("/r/a.txt", 3));
    QCOMPARE(started.count(), 3);
    QCOMPARE(started.at(2).at(0).value<CTcpFileReader *>()->path(), s.root + kPeer + "/a.txt");
}

void TestTransferParser::receiversPerLinkAreCapped()
{
    Side s(true);
    s.trust();
    QSignalSpy failed(s.parser.get(), &CTransferAbstract::sigFailed2Receive);
    for (int i = 0; i < CTransferAbstract::kMaxReceiversPerLink; ++i) {
        s.ask(QString("/f%1").arg(i));
        s.link->deliverBinary(WireBytes::FileRequest(QString("/f%1").arg(i), 1));
    }
    QCOMPARE(s.readers(), CTransferAbstract::kMaxReceiversPerLink);
    QCOMPARE(failed.count(), 0);
    s.ask("/one-more");
    s.link->deliverBinary(WireBytes::FileRequest("/one-more", 1));
    QCOMPARE(s.readers(), CTransferAbstract::kMaxReceiversPerLink);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(s.link->sentBinaries().size(), CTransferAbstract::kMaxReceiversPerLink);
}

void TestTransferParser::sendsOnlyOfferedFilesOnce()
{
    Side s(true);
    s.trust();
    const QString shared = s.shareFile("a.txt", "the shared bytes");
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
    const quint16 port = listener.serverPort();

    // Never offered: nothing connects.
    s.link->deliverBinary(WireBytes::FileResponse(true, port, "/etc/hostname"));
    s.link->deliverBinary(WireBytes::FileResponse(true, port, shared));
    QVERIFY(!listener.waitForNewConnection(500));

    s.link->deliverText(FileRequest(shared));
    QCOMPARE(s.binaries().size(), 1);
    s.link->deliverBinary(WireBytes::FileResponse(true, 0, shared)); // no port: offer kept
    QVERIFY(!listener.waitForNewConnection(300));
    QCOMPARE(OfferedPaths(s.host->session), QStringList());
    s.link->deliverText(FileRequest(shared));
    s.link->deliverBinary(WireBytes::FileResponse(true, port, shared));
    QVERIFY(QTest::qWaitFor([&] { return listener.hasPendingConnections(); }, 10000));
    QTcpSocket *in = listener.nextPendingConnection();
    QByteArray got;
    QVERIFY(QTest::qWaitFor(
        [&] {
            got += in->readAll();
            return in->state() == QAbstractSocket::UnconnectedState;
        },
        10000));
    QCOMPARE(got, QByteArray("the shared bytes"));

    // The same answer again sends nothing more.
    s.link->deliverBinary(WireBytes::FileResponse(true, port, shared));
    QVERIFY(!listener.waitForNewConnection(500));
}

void TestTransferParser::unparsableAndTextBodiesAreIgnored()
{
    Side s(true);
    s.trust();
    QSignalSpy failed(s.parser.get(), &CTransferAbstract::sigFailed2Receive);
    s.link->deliverBinary(QByteArray("\xff\x01\x02garbage", 10));
    s.link->deliverBinary(WireBytes::StrMsg("hello"));
    s.link->deliverBinary(QByteArray());
    QVERIFY(s.link->sentBinaries().isEmpty());
    QVERIFY(s.texts().isEmpty());
    QCOMPARE(failed.count(), 0);
    QVERIFY(s.link->isOpen());
    s.link->deliverText(QStringLiteral("??tag_os#"));
    QCOMPARE(s.texts(), QStringList({"!!tag_os#w"}));
}

TOLVANE_TEST_MAIN(TestTransferParser)
#include "tst_transfer_parser.moc"
