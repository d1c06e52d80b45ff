// The pure halves of the link protocol: every text command and reply classified and
// formatted exactly as the wire format has them, and the binary negotiation messages
// checked byte for byte against hand-encoded protobuf.
#include "datasync/text_command.h"
#include "datasync/transfer_messages.h"
#include "wire_bytes.h"

#include <QtTest>

using TextCommand::FileErrorReason;
using TextCommand::Kind;

Q_DECLARE_METATYPE(TextCommand::Kind)

class TestLinkProtocol : public QObject
{
    Q_OBJECT

private slots:
    void classifiesEveryMessage_data();
    void classifiesEveryMessage();
    void keepsPayloadsUnchanged();
    void splitsFileRequestsAtEverySeparator_data();
    void splitsFileRequestsAtEverySeparator();
    void formatsEveryCommand_data();
    void formatsEveryCommand();
    void formattedCommandsParseBack();
    void namesOperatingSystems();
    void binaryMessagesMatchTheFieldTable();
    void decodesHandEncodedMessages();
    void refusesUnparsableBinary_data();
    void refusesUnparsableBinary();
    void receivedFileKeepsOnlyItsBaseName_data();
    void receivedFileKeepsOnlyItsBaseName();
};

void TestLinkProtocol::classifiesEveryMessage_data()
{
    QTest::addColumn<QString>("msg");
    QTest::addColumn<Kind>("kind");
    const struct
    {
        const char *msg;
        Kind kind;
    } rows[] = {
        {"??tag_pwd#secret", Kind::Password},
        {"??tag_pwd#", Kind::Password},
        {"??tag_os#", Kind::Os},
        {"??tag_os#x", Kind::UnknownRequest}, // a payload makes it no OS request
        {"??tag_host#", Kind::Host},
        {"??tag_host# ", Kind::UnknownRequest},
        {"??tag_connection_err#", Kind::ConnectionRefused},
        {"??tag_connection_err#full", Kind::UnknownRequest},
        {"??tag_normal_file#history", Kind::History},
        {"??tag_normal_file#history**##!!", Kind::File}, // only the exact payload is history
        {"??tag_normal_file#/_*tag_file_img*/_0123456789abcdef0123456789abcdef", Kind::Image},
        {"??tag_normal_file#/home/a.txt**##!!/save/a.txt", Kind::File},
        {"??tag_normal_file#", Kind::File},
        {"??tag_unknown#", Kind::UnknownRequest},
        {"??", Kind::UnknownRequest},
        {"!!tag_os#w", Kind::OsReply},
        {"!!tag_os#m", Kind::OsReply},
        {"!!tag_os#x", Kind::UnknownReply},
        {"!!tag_os#ww", Kind::UnknownReply},
        {"!!tag_host#", Kind::HostReply},
        {"!!tag_host#box", Kind::HostReply},
        {"!!tag_normal_file_ok#/a", Kind::FileOk},
        {"!!tag_pwd#ok", Kind::PasswordReply},
        {"!!tag_pwd#err", Kind::PasswordReply},
        {"!!tag_pwd#maybe", Kind::UnknownReply},
        {"!!tag_normal_file_error#not_foundhistory", Kind::FileError},
        {"!!tag_normal_file_error#is_dirC:/data", Kind::FileError},
        {"!!tag_normal_file_error#unknown/a", Kind::FileError},
        {"!!tag_normal_file_error#other/a", Kind::UnknownReply},
        {"!!", Kind::UnknownReply},
        {"hello", Kind::Unknown},
        {"", Kind::Unknown},
        {"?!tag_os#", Kind::Unknown},
    };
    for (const auto &r : rows)
        QTest::newRow(r.msg) << QString::fromUtf8(r.msg) << r.kind;
}

void TestLinkProtocol::classifiesEveryMessage()
{
    QFETCH(QString, msg);
    QFETCH(Kind, kind);
    QCOMPARE(TextCommand::Parse(msg).kind, kind);
}

void TestLinkProtocol::keepsPayloadsUnchanged()
{
    // Passwords are compared as sent: spaces are part of them.
    QCOMPARE(TextCommand::Parse(QStringLiteral("??tag_pwd# pw ")).text, QStringLiteral(" pw "));
    QCOMPARE(TextCommand::Parse(QStringLiteral("!!tag_host#Büro-PC")).text,
             QStringLiteral("Büro-PC"));
    QCOMPARE(TextCommand::Parse(QStringLiteral("!!tag_os#m")).text, QStringLiteral("m"));
    const auto img = TextCommand::Parse(QStringLiteral("??tag_normal_file#/_*tag_file_img*/_../x"));
    QCOMPARE(img.text, QStringLiteral("../x"));

    const auto ok = TextCommand::Parse(QStringLiteral("!!tag_pwd#okay"));
    QVERIFY(ok.passed); // the reply is recognised by its start
    QVERIFY(!TextCommand::Parse(QStringLiteral("!!tag_pwd#err")).passed);

    const auto nf = TextCommand::Parse(QStringLiteral("!!tag_normal_file_error#not_foundhistory"));
    QCOMPARE(nf.reason, FileErrorReason::NotFound);
    QCOMPARE(nf.text, QStringLiteral("history"));
    const auto dir = TextCommand::Parse(QStringLiteral("!!tag_normal_file_error#is_dirC:/data"));
    QCOMPARE(dir.reason, FileErrorReason::IsDir);
    QCOMPARE(dir.text, QStringLiteral("C:/data"));
    const auto unk = TextCommand::Parse(QStringLiteral("!!tag_normal_file_error#unknown"));
    QCOMPARE(unk.reason, FileErrorReason::Unknown);
    QCOMPARE(unk.text, QString());
}

void TestLinkProtocol::splitsFileRequestsAtEverySeparator_data()
{
    QTest::addColumn<QString>("msg");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("save_path");
    QTest::newRow("both") << "??tag_normal_file#C:/data/a.txt**##!!D:/save/a.txt"
                          << "C:/data/a.txt"
                          << "D:/save/a.txt";
    QTest::newRow("three parts") << "??tag_normal_file#/a**##!!/b**##!!/c"
                                 << "/a"
                                 << "/b";
    QTest::newRow("no path") << "??tag_normal_file#**##!!/b" << QString() << "/b";
    QTest::newRow("no separator") << "??tag_normal_file#/only"
                                  << "/only" << QString();
}

void TestLinkProtocol::splitsFileRequestsAtEverySeparator()
{
    QFETCH(QString, msg);
    QFETCH(QString, path);
    QFETCH(QString, save_path);
    const auto p = TextCommand::Parse(msg);
    QCOMPARE(p.text, path);
    QCOMPARE(p.save_path, save_path);
}

void TestLinkProtocol::formatsEveryCommand_data()
{
    QTest::addColumn<QString>("formatted");
    QTest::addColumn<QString>("expected");
    QTest::newRow("PasswordRequest pw")
        << TextCommand::PasswordRequest(QStringLiteral("pw")) << QStringLiteral("??tag_pwd#pw");
    QTest::newRow("PasswordReply(true)")
        << TextCommand::PasswordReply(true) << QStringLiteral("!!tag_pwd#ok");
    QTest::newRow("PasswordReply(false)")
        << TextCommand::PasswordReply(false) << QStringLiteral("!!tag_pwd#err");
    QTest::newRow("OsRequest") << TextCommand::OsRequest() << QStringLiteral("??tag_os#");
    QTest::newRow("OsReply") << TextCommand::OsReply() << QStringLiteral("!!tag_os#w");
    QTest::newRow("HostRequest") << TextCommand::HostRequest() << QStringLiteral("??tag_host#");
    QTest::newRow("HostReply empty")
        << TextCommand::HostReply(QString()) << QStringLiteral("!!tag_host#");
    QTest::newRow("ConnectionRefused")
        << TextCommand::ConnectionRefused() << QStringLiteral("??tag_connection_err#");
    QTest::newRow("HistoryRequest")
        << TextCommand::HistoryRequest() << QStringLiteral("??tag_normal_file#history");
    QTest::newRow("ImageRequest abc") << TextCommand::ImageRequest(QStringLiteral("abc"))
                                      << QStringLiteral("??tag_normal_file#/_*tag_file_img*/_abc");
    QTest::newRow("FileRequest /a") << TextCommand::FileRequest(QStringLiteral("/a"), QString())
                                    << QStringLiteral("??tag_normal_file#/a**##!!");
    QTest::newRow("file error not found")
        << TextCommand::FileError(FileErrorReason::NotFound, QStringLiteral("history"))
        << QStringLiteral("!!tag_normal_file_error#not_foundhistory");
    QTest::newRow("file error is dir")
        << TextCommand::FileError(FileErrorReason::IsDir, QStringLiteral("C:/data"))
        << QStringLiteral("!!tag_normal_file_error#is_dirC:/data");
    QTest::newRow("file error unknown")
        << TextCommand::FileError(FileErrorReason::Unknown, QStringLiteral("/x"))
        << QStringLiteral("!!tag_normal_file_error#unknown/x");
}

void TestLinkProtocol::formatsEveryCommand()
{
    QFETCH(QString, formatted);
    QFETCH(QString, expected);
    QCOMPARE(formatted, expected);
}

void TestLinkProtocol::formattedCommandsParseBack()
{
    QCOMPARE(TextCommand::Parse(TextCommand::FileRequest("/a b/c.txt", "/s/c.txt")).kind,
             Kind::File);
    const auto p = TextCommand::Parse(TextCommand::FileRequest("/a b/c.txt", "/s/c.txt"));
    QCOMPARE(p.text, QStringLiteral("/a b/c.txt"));
    QCOMPARE(p.save_path, QStringLiteral("/s/c.txt"));
    QCOMPARE(TextCommand::Parse(TextCommand::ImageRequest("k")).text, QStringLiteral("k"));
    QCOMPARE(TextCommand::Parse(TextCommand::HostReply("n")).text, QStringLiteral("n"));
    QVERIFY(TextCommand::Parse(TextCommand::PasswordReply(true)).passed);
}

void TestLinkProtocol::namesOperatingSystems()
{
    QCOMPARE(TextCommand::OsName("w"), QStringLiteral("windows"));
    QCOMPARE(TextCommand::OsName("m"), QStringLiteral("osx"));
    QCOMPARE(TextCommand::OsName("l"), QString());
}

void TestLinkProtocol::binaryMessagesMatchTheFieldTable()
{
    const QString path = QStringLiteral("/tmp/Tolvane/history");
    QCOMPARE(TransferMessage::EncodeAnnouncement(path, 1234), WireBytes::FileRequest(path, 1234));
    QCOMPARE(TransferMessage::EncodeAnnouncement(QStringLiteral("/ä"), 0),
             WireBytes::FileRequest(QStringLiteral("/ä"), 0));
    QCOMPARE(TransferMessage::EncodeAcceptance(40123, path),
             WireBytes::FileResponse(true, 40123, path));
    // The whole message, spelled out: body 2 (length 14) holding path (field 1) and size 5.
    QCOMPARE(TransferMessage::EncodeAnnouncement(QStringLiteral("/a/b.txt"), 5).toHex(),
             QByteArray("120c0a082f612f622e7478741005"));
}

void TestLinkProtocol::decodesHandEncodedMessages()
{
    auto d = TransferMessage::Decode(WireBytes::FileRequest(QStringLiteral("C:/x.png"), 99));
    QCOMPARE(d.kind, TransferMessage::Kind::Announcement);
    QCOMPARE(d.announcement.path, QStringLiteral("C:/x.png"));
    QCOMPARE(d.announcement.size, qint64(99));

    d = TransferMessage::Decode(WireBytes::FileRequest(QStringLiteral("/n"), -5));
    QCOMPARE(d.announcement.size, qint64(-5)); // refused later, by the handler

    d = TransferMessage::Decode(WireBytes::FileResponse(false, 8000, QStringLiteral("/p")));
    QCOMPARE(d.kind, TransferMessage::Kind::Acceptance);
    QCOMPARE(d.acceptance.accept, false);
    QCOMPARE(d.acceptance.port, 8000);
    QCOMPARE(d.acceptance.path, QStringLiteral("/p"));

    QCOMPARE(TransferMessage::Decode(WireBytes::StrMsg(QStringLiteral("hi"))).kind,
             TransferMessage::Kind::Other);
    QCOMPARE(TransferMessage::Decode(QByteArray()).kind, TransferMessage::Kind::Other);

    const WireBytes::Decoded back = WireBytes::Decode(TransferMessage::EncodeAcceptance(7, "/q"));
    QCOMPARE(back.body, 3);
    QVERIFY(back.accept);
    QCOMPARE(back.port, qint64(7));
    QCOMPARE(back.path, QStringLiteral("/q"));
}

void TestLinkProtocol::refusesUnparsableBinary_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("no message") << QByteArray("\xff\xff\xff", 3);
    QTest::newRow("length past the end") << QByteArray::fromHex("127f0a");
    QTest::newRow("invalid UTF-8 in a string") << QByteArray::fromHex("12040a02c328");
}

void TestLinkProtocol::refusesUnparsableBinary()
{
    QFETCH(QByteArray, bytes);
    QCOMPARE(TransferMessage::Decode(bytes).kind, TransferMessage::Kind::Unparsable);
    QVERIFY(!TransferMessage::IsValidPort(0));
    QVERIFY(!TransferMessage::IsValidPort(-1));
    QVERIFY(!TransferMessage::IsValidPort(65536));
    QVERIFY(TransferMessage::IsValidPort(65535));
}

void TestLinkProtocol::receivedFileKeepsOnlyItsBaseName_data()
{
    QTest::addColumn<QString>("announced");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "/home/u/a.txt"
                           << "a.txt";
    QTest::newRow("windows") << "C:/Users/u/b.png"
                             << "b.png";
    QTest::newRow("backslashes") << "C:\\Users\\u\\c.doc"
                                 << "c.doc";
    QTest::newRow("climbing") << "../../../etc/cron.d/x"
                              << "x";
    QTest::newRow("bare") << "history"
                          << "history";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("folder") << "/home/u/"
                            << "";
    QTest::newRow("dot") << "/a/."
                         << "";
    QTest::newRow("dotdot") << "/a/.."
                            << "";
    QTest::newRow("only dotdot") << ".."
                                 << "";
    QTest::newRow("nul") << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << "";
    QTest::newRow("hidden") << "/a/.bashrc"
                            << ".bashrc";
}

void TestLinkProtocol::receivedFileKeepsOnlyItsBaseName()
{
    QFETCH(QString, announced);
    QFETCH(QString, name);
    QCOMPARE(TransferMessage::ReceivedFileName(announced), name);
}

QTEST_GUILESS_MAIN(TestLinkProtocol)
#include "tst_link_protocol.moc"
