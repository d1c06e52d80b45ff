// Encrypted links between two connectors over loopback: the TLS/clear-text switch of the
// link port, the password proof, pinning, the verification code, and what a relay in the
// middle can see or do.
#include "datasync/known_hosts.h"
#include "datasync/link_identity.h"
#include "datasync/password_proof.h"
#include "datasync/tcp_file_reader.h"
#include "datasync/tcp_file_sender.h"
#include "datasync/tls_sniffing_server.h"
#include "isolated_env.h"
#include "raw_websocket.h"
#include "test_host.h"
#include "test_items.h"
#include "tls_relays.h"

#include <algorithm>

#include <QFile>
#include <QSignalSpy>
#include <QSslSocket>
#include <QTemporaryDir>

namespace {
const QString kLocal = QStringLiteral("127.0.0.1");
const QString kSecretText = QStringLiteral("copied secret 7f3a9c");

QFileDevice::Permissions OwnerOnly()
{
    return QFileDevice::ReadOwner | QFileDevice::WriteOwner;
}

// The permissions of a file, without the redundant "user" bits Qt adds.
QFileDevice::Permissions PermissionsOf(const QString &path)
{
    return QFile::permissions(path) &
           ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

// Waits for the attempt's result: (is_ok, message).
QVariantList Attempt(TestHost &from, quint16 port, const QString &pwd)
{
    QSignalSpy result(from.connector.get(), &CConnector::sigConnectResult);
    from->connect2Server(kLocal, pwd, port);
    if (!result.wait(20000))
        return {};
    return result.at(0);
}
} // namespace

class TestLinkTls : public QObject
{
    Q_OBJECT

private slots:
    void identityIsMadeOnceAndPrivate();
    void proofBindsPasswordCertificatesAndNonce();
    void verificationCodeIsTheSameOnBothSides();
    void knownHostsPinAndSurviveGarbage();
    void linkPortSortsTlsFromClearText();
    void encryptedLinkShowsNoPasswordOrContent();
    void relayThatEndsTlsIsRefused();
    void changedCertificateIsRefused();
    void clearTextPeerLinksAndIsMarked();
    void refusingClearTextHoldsBothWays();
    void fileBodiesGoOnlyBetweenThePinnedCertificates();
};

void TestLinkTls::identityIsMadeOnceAndPrivate()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/link";
    const LinkIdentity first = LinkIdentity::LoadOrCreate(folder);
    QVERIFY(!first.isNull());
    QCOMPARE(first.fingerprint().size(), 32);
    QCOMPARE(first.key().algorithm(), QSsl::Ec);
    QCOMPARE(PermissionsOf(folder + "/" + LinkIdentity::kKeyFile), OwnerOnly());
    // Loaded again, it is the same pair; another folder makes another.
    QCOMPARE(LinkIdentity::LoadOrCreate(folder).fingerprint(), first.fingerprint());
    QVERIFY(LinkIdentity::LoadOrCreate(dir.path() + "/other").fingerprint() != first.fingerprint());
    // A key file made readable by others is tightened when loaded.
    QFile::setPermissions(folder + "/" + LinkIdentity::kKeyFile,
                          OwnerOnly() | QFileDevice::ReadOther);
    QVERIFY(!LinkIdentity::LoadOrCreate(folder).isNull());
    QCOMPARE(PermissionsOf(folder + "/" + LinkIdentity::kKeyFile), OwnerOnly());
}

void TestLinkTls::proofBindsPasswordCertificatesAndNonce()
{
    const QByteArray c(32, 'c'), s(32, 's'), m(32, 'm');
    const QByteArray nonce = PasswordProof::NewNonce();
    QCOMPARE(nonce.size(), PasswordProof::kNonceBytes);
    QVERIFY(nonce != PasswordProof::NewNonce());
    const QByteArray good = PasswordProof::Compute("pw", c, s, nonce);
    QCOMPARE(good.size(), 32);
    QVERIFY(PasswordProof::Matches(good, PasswordProof::Compute("pw", c, s, nonce)));
    // Each input counts: what a relay changes (a certificate) breaks the proof.
    const struct
    {
        const char *what;
        QByteArray proof;
    } others[] = {
        {"password", PasswordProof::Compute("pW", c, s, nonce)},
        {"client certificate", PasswordProof::Compute("pw", m, s, nonce)},
        {"server certificate", PasswordProof::Compute("pw", c, m, nonce)},
        {"swapped certificates", PasswordProof::Compute("pw", s, c, nonce)},
        {"nonce", PasswordProof::Compute("pw", c, s, PasswordProof::NewNonce())},
        {"empty", QByteArray()},
        {"truncated", good.left(31)},
    };
    for (const auto &o : others)
        QVERIFY2(!PasswordProof::Matches(good, o.proof), o.what);
    // On the wire: exactly the hex digits, nothing skipped (a fuzzer found fromHex's leniency).
    const QString hex = QString::fromLatin1(good.toHex());
    QCOMPARE(PasswordProof::FromStrictHex(hex, 32), good);
    for (const QString &bad :
         {hex.toUpper(), hex + "0", hex.left(63), hex.left(30) + "zz" + hex.mid(32),
          hex.left(30) + "\u00d4" + hex.mid(30, 33), QString()})
        QCOMPARE(PasswordProof::FromStrictHex(bad, 32), QByteArray());
}

void TestLinkTls::verificationCodeIsTheSameOnBothSides()
{
    const QByteArray a(32, 'a'), b(32, 'b'), x(32, 'x');
    const QString code = VerificationCode(a, b);
    QCOMPARE(code, VerificationCode(b, a));
    QVERIFY(QRegularExpression("^[0-9]{3} [0-9]{3}$").match(code).hasMatch());
    QVERIFY(code != VerificationCode(a, x));
    QCOMPARE(VerificationCode(a, QByteArray()), QString());
}

void TestLinkTls::knownHostsPinAndSurviveGarbage()
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/known_hosts";
    KnownHosts known(path);
    const QByteArray fp1(32, '\x01'), fp2(32, '\x02');
    QCOMPARE(known.pinOf("10.0.0.2"), QByteArray());
    QVERIFY(known.pin("10.0.0.2", fp1));
    QVERIFY(known.pin("hostb", fp2));
    QCOMPARE(PermissionsOf(path), OwnerOnly());
    QVERIFY(known.pin("10.0.0.2", fp2)); // replaces
    QCOMPARE(KnownHosts(path).pinOf("10.0.0.2"), fp2);
    QCOMPARE(known.pinOf("hostb"), fp2);
    // Names that would break the lines, and fingerprints of the wrong size, are not pinned.
    QVERIFY(!known.pin("a b", fp1));
    QVERIFY(!known.pin("a\nb", fp1));
    QVERIFY(!known.pin("c", QByteArray(31, 'x')));
    // Lines that are not entries are skipped, the rest still read.
    QFile f(path);
    QVERIFY(f.open(QIODevice::Append));
    f.write("garbage\n\n10.0.0.9 zz\n10.0.0.8 " + QByteArray(64, 'g') + "\n\x01\x02 x y\n");
    f.write("10.0.0.7 " + fp1.toHex() + "\n");
    f.close();
    QCOMPARE(known.pinOf("10.0.0.9"), QByteArray());
    QCOMPARE(known.pinOf("10.0.0.8"), QByteArray());
    QCOMPARE(known.pinOf("10.0.0.7"), fp1);
    QCOMPARE(known.pinOf("10.0.0.2"), fp2);
}

void TestLinkTls::linkPortSortsTlsFromClearText()
{
    QTemporaryDir dir;
    const LinkIdentity server_id = LinkIdentity::LoadOrCreate(dir.path() + "/s");
    const LinkIdentity client_id = LinkIdentity::LoadOrCreate(dir.path() + "/c");
    CTlsSniffingServer server;
    server.setIdentity(server_id);
    server.setWaitTimeout(1000);
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    QSignalSpy plain(&server, &CTlsSniffingServer::sigPlainConnection);
    QSignalSpy encrypted(&server, &CTlsSniffingServer::sigEncryptedConnection);

    // Hostile or idle openings: silence, a TLS record of garbage, a lone TLS byte. Each is
    // aborted after the wait and never handed on.
    const QByteArray openings[] = {QByteArray(), QByteArray("\x16\x03\x01\x00\x05hello", 10),
                                   QByteArray("\x16", 1)};
    for (const QByteArray &opening : openings) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, server.serverPort());
        QVERIFY(s.waitForConnected(5000));
        s.write(opening);
        QTRY_COMPARE_WITH_TIMEOUT(s.state(), QAbstractSocket::UnconnectedState, 5000);
        QCOMPARE(server.waitingCount(), 0);
    }
    QCOMPARE(plain.count() + encrypted.count(), 0);

    // Clear text: the socket is handed on with its first byte still to be read.
    QTcpSocket text;
    text.connectToHost(QHostAddress::LocalHost, server.serverPort());
    QVERIFY(text.waitForConnected(5000));
    text.write("GET / HTTP/1.1\r\n");
    QVERIFY(plain.wait(5000));
    auto *handed = plain.at(0).at(0).value<QTcpSocket *>();
    QTRY_VERIFY(handed->bytesAvailable() >= 16);
    QCOMPARE(handed->readAll(), QByteArray("GET / HTTP/1.1\r\n"));

    // TLS with a client certificate: handed on with the client's fingerprint.
    QSslSocket tls;
    tls.setSslConfiguration(client_id.configuration(false));
    connect(&tls, QOverload<const QList<QSslError> &>::of(&QSslSocket::sslErrors), &tls,
            [&tls] { tls.ignoreSslErrors(); });
    tls.connectToHostEncrypted(kLocal, server.serverPort());
    QVERIFY(encrypted.wait(5000));
    QCOMPARE(encrypted.at(0).at(1).toByteArray(), client_id.fingerprint());
    QTRY_VERIFY(tls.isEncrypted());
    QCOMPARE(tls.sessionProtocol(), QSsl::TlsV1_3);
    QCOMPARE(LinkIdentity::Fingerprint(tls.peerCertificate()), server_id.fingerprint());

    // TLS without a client certificate is refused: nothing to pin.
    QSslSocket anonymous;
    QSslConfiguration bare = server_id.configuration(false);
    bare.setLocalCertificate(QSslCertificate());
    bare.setPrivateKey(QSslKey());
    anonymous.setSslConfiguration(bare);
    connect(&anonymous, QOverload<const QList<QSslError> &>::of(&QSslSocket::sslErrors), &anonymous,
            [&anonymous] { anonymous.ignoreSslErrors(); });
    anonymous.connectToHostEncrypted(kLocal, server.serverPort());
    QTRY_COMPARE_WITH_TIMEOUT(anonymous.state(), QAbstractSocket::UnconnectedState, 5000);
    QCOMPARE(encrypted.count(), 1);
}

void TestLinkTls::encryptedLinkShowsNoPasswordOrContent()
{
    TestHost a(QString(), false, true);
    TestHost b(QStringLiteral("b secret pass"), false, true);
    FillTextRows(a.clip, {kSecretText});
    FillTextRows(b.clip, {"b says " + kSecretText});
    ByteRelay relay;
    QVERIFY(relay.listen(b.port));
    QSignalSpy a_first(a.connector.get(), &CConnector::sigFirstLink);
    QSignalSpy b_first(b.connector.get(), &CConnector::sigFirstLink);

    QCOMPARE(Attempt(a, relay.port(), b.pwd), QVariantList({true, QString()}));
    QTRY_VERIFY_WITH_TIMEOUT(a->isInit(0) && b->getHostsCount() == 1 && b->isInit(0), 20000);
    QCOMPARE(Plains(a->getModel(0)), QStringList({"b says " + kSecretText}));
    QCOMPARE(Plains(b->getModel(0)), QStringList({kSecretText}));
    QVERIFY(a->isEncrypted(0) && b->isEncrypted(0));
    QCOMPARE(a->getHostsCode(0), b->getHostsCode(0));
    QCOMPARE(a->getHostsCode(0).size(), 7);
    QTRY_COMPARE(b_first.count(), 1);
    QCOMPARE(a_first.count(), 1);
    QCOMPARE(a_first.at(0).at(1).toString(), a->getHostsCode(0));
    QCOMPARE(b_first.at(0).at(1).toString(), a->getHostsCode(0));

    // What went over the wire: TLS records only, nothing of the password or the texts.
    const QByteArray &wire = relay.seen();
    QVERIFY(wire.size() > 1000);
    for (const QByteArray &secret : {b.pwd.toUtf8(), kSecretText.toUtf8(), QByteArray("tag_pwd"),
                                     QByteArray("tag_os"), QByteArray("Upgrade: websocket")})
        QVERIFY2(!wire.contains(secret), secret.constData());

    // The same relay on a clear-text link reads the conversation: the check above can fail.
    TestHost plain_a, plain_b(QStringLiteral("plain pass"));
    ByteRelay plain_relay;
    QVERIFY(plain_relay.listen(plain_b.port));
    QCOMPARE(Attempt(plain_a, plain_relay.port(), plain_b.pwd), QVariantList({true, QString()}));
    QTRY_VERIFY(plain_relay.seen().contains("!!tag_pwd#ok"));
    QVERIFY(plain_relay.seen().contains("Upgrade: websocket"));

    // A file body between the two goes over TLS with the same certificates.
    const QByteArray body = QByteArray(300 * 1024, 'q') + kSecretText.toUtf8();
    const QString shared = b.shareFile("secret.txt", body);
    QSignalSpy downloaded(a.connector.get(), &CConnector::sigFileDownloaded);
    const QString save = a.dir.path() + "/saved.txt";
    a->downloadFile(kLocal, shared, save);
    // A history pushed meanwhile is reported too, before or after the file.
    const auto saved = [&downloaded, &save] {
        return std::any_of(downloaded.cbegin(), downloaded.cend(),
                           [&save](const QVariantList &args) { return args.at(0) == save; });
    };
    QTRY_VERIFY_WITH_TIMEOUT(saved(), 20000);
    QCOMPARE(ReadFile(save), body);

    // The second link is no first link: no code to compare again, still the same one.
    emit a->sigCloseConnection(kLocal);
    QTRY_VERIFY(a->getHostsCount() == 0 && b->getHostsCount() == 0);
    QVERIFY(LinkHosts(a, b));
    QVERIFY(a->isEncrypted(0));
    QCOMPARE(a_first.count(), 1);
    QCOMPARE(b_first.count(), 1);
    QCOMPARE(a->getHostsCode(0), b->getHostsCode(0));
}

void TestLinkTls::relayThatEndsTlsIsRefused()
{
    TestHost a(QString(), false, true);
    TestHost b(QStringLiteral("the password"), false, true);
    FillTextRows(b.clip, {kSecretText});
    QTemporaryDir dir;
    TlsTerminatingRelay mitm(LinkIdentity::LoadOrCreate(dir.path() + "/mitm"));
    QVERIFY(mitm.listen(b.port));

    const QVariantList result = Attempt(a, mitm.port(), b.pwd);
    QCOMPARE(result, QVariantList({false, "Password incorrect."}));
    QVERIFY(mitm.bothSidesEncrypted());
    QTRY_COMPARE(b->getHostsCount(), 0);
    QTRY_COMPARE(a->getHostsCount(), 0);
    // The relay read the conversation in the clear, but it held no password: only the
    // proof, made for other certificates than the ones the server saw.
    const QStringList up = TextMessagesOf(mitm.toServer());
    const QStringList down = TextMessagesOf(mitm.toClient());
    QCOMPARE(up.size(), 1);
    QVERIFY2(up.at(0).startsWith("??tag_pwd_proof#"), qPrintable(up.at(0)));
    QVERIFY(!up.at(0).contains(b.pwd));
    QVERIFY(down.value(0).startsWith("??tag_pwd_nonce#"));
    QCOMPARE(down.value(1), QStringLiteral("!!tag_pwd#err"));
    // Neither side pinned the relay.
    QCOMPARE(KnownHosts(a.linkDir + "/known_hosts").pinOf(kLocal), QByteArray());
    QCOMPARE(KnownHosts(b.linkDir + "/known_hosts").pinOf(kLocal), QByteArray());
}

void TestLinkTls::changedCertificateIsRefused()
{
    QTemporaryDir dir;
    TestHost a(QString(), false, true);
    {
        TestHost b(QStringLiteral("pw"), false, true, dir.path() + "/b");
        QVERIFY(LinkHosts(a, b));
    }
    QTRY_COMPARE(a->getHostsCount(), 0);

    // Another host (a new key pair) now answers at the pinned address.
    TestHost b2(QStringLiteral("pw"), false, true);
    const QVariantList result = Attempt(a, b2.port, b2.pwd);
    QCOMPARE(result.value(0).toBool(), false);
    QVERIFY2(result.value(1).toString().contains("is not the one it had at the first link"),
             qPrintable(result.value(1).toString()));
    QCOMPARE(b2->getHostsCount(), 0);

    // The host of the first link, back with its key pair, links again.
    TestHost b(QStringLiteral("pw"), false, true, dir.path() + "/b");
    QVERIFY(LinkHosts(a, b));
    emit a->sigCloseConnection(kLocal);
    QTRY_VERIFY(a->getHostsCount() == 0 && b->getHostsCount() == 0);

    // The other way round: a client with a new key pair from the pinned address is turned
    // away by the server before any password.
    TestHost a2(QString(), false, true);
    const QVariantList refused = Attempt(a2, b.port, b.pwd);
    QCOMPARE(refused.value(0).toBool(), false);
    QCOMPARE(b->getHostsCount(), 0);

    // A pinned host that no longer speaks TLS is not linked in clear text.
    RawWebSocketServer plain;
    QVERIFY(plain.listen());
    TestHost a_pinned_plain(QString(), false, true, a.linkDir);
    const QVariantList downgrade = Attempt(a_pinned_plain, plain.port(), QStringLiteral("pw"));
    QCOMPARE(downgrade.value(0).toBool(), false);
    QVERIFY2(downgrade.value(1).toString().contains("now does not answer encrypted"),
             qPrintable(downgrade.value(1).toString()));
}

void TestLinkTls::clearTextPeerLinksAndIsMarked()
{
    // A peer that speaks only the clear-text protocol, as a client.
    TestHost b(QStringLiteral("pw 2"), false, true);
    RawWebSocket peer;
    QVERIFY(peer.connectTo(b.port));
    peer.sendText(QStringLiteral("??tag_pwd#pw 2"));
    QString msg;
    QVERIFY(peer.waitForText(msg));
    QCOMPARE(msg, QStringLiteral("!!tag_pwd#ok"));
    QVERIFY(peer.waitForText(msg));
    QCOMPARE(msg, QStringLiteral("??tag_os#"));
    QCOMPARE(b->getHostsCount(), 1);
    QVERIFY(!b->isEncrypted(0));
    QCOMPARE(b->getHostsCode(0), QString());

    // And as a server: the TLS hello goes unanswered, the client falls back to clear text.
    RawWebSocketServer server;
    QVERIFY(server.listen());
    TestHost a(QString(), false, true);
    QSignalSpy result(a.connector.get(), &CConnector::sigConnectResult);
    a->connect2Server(kLocal, QStringLiteral("pw 3"), server.port());
    QVERIFY(!server.accept(8000)); // the TLS attempt
    RawWebSocket *fallback = server.accept(10000);
    QVERIFY(fallback);
    QVERIFY(fallback->waitForText(msg));
    QCOMPARE(msg, QStringLiteral("??tag_pwd#pw 3"));
    fallback->sendText(QStringLiteral("!!tag_pwd#ok"));
    QVERIFY(result.wait(10000));
    QCOMPARE(result.at(0), QVariantList({true, QString()}));
    QVERIFY(!a->isEncrypted(0));
    // Nothing of the encrypted protocol ever reached either clear-text peer.
    for (RawWebSocket *p : {&peer, fallback}) {
        for (const RawWebSocket::Message &m : p->drain(300))
            QVERIFY(!m.data.contains("tag_pwd_"));
    }
}

void TestLinkTls::refusingClearTextHoldsBothWays()
{
    TestHost b(QStringLiteral("pw"), false, true);
    b.refusePlain = true;
    RawWebSocket peer;
    if (peer.connectTo(b.port)) {
        peer.sendText(QStringLiteral("??tag_pwd#pw"));
        QVERIFY(peer.waitForClosed(10000));
    }
    QCOMPARE(b->getHostsCount(), 0);
    // Encrypted links still pass.
    TestHost a(QString(), false, true);
    QVERIFY(LinkHosts(a, b));

    RawWebSocketServer server;
    QVERIFY(server.listen());
    TestHost c(QString(), false, true);
    c.refusePlain = true;
    const QVariantList result = Attempt(c, server.port(), QStringLiteral("pw"));
    QCOMPARE(result.value(0).toBool(), false);
    QVERIFY2(result.value(1).toString().contains("unencrypted links are turned off"),
             qPrintable(result.value(1).toString()));
}

void TestLinkTls::fileBodiesGoOnlyBetweenThePinnedCertificates()
{
    QTemporaryDir dir;
    const LinkIdentity receiver_id = LinkIdentity::LoadOrCreate(dir.path() + "/r");
    const LinkIdentity sender_id = LinkIdentity::LoadOrCreate(dir.path() + "/s");
    const LinkIdentity stranger_id = LinkIdentity::LoadOrCreate(dir.path() + "/x");
    // More than one chunk, so that the chunking runs over TLS as well.
    QByteArray body(CTcpFileSender::kChunkSize + 123457, Qt::Uninitialized);
    for (int i = 0; i < body.size(); ++i)
        body[i] = char(i * 7 + i / 4096);
    const QString src = dir.path() + "/src.bin";
    QVERIFY(WriteFile(src, body));

    struct Case
    {
        const char *name;
        const LinkIdentity *sender; // nullptr: a plain TCP sender
        QByteArray sender_expects;  // the receiver's fingerprint the sender pinned
        bool arrives;
    } cases[] = {
        {"the linked host", &sender_id, receiver_id.fingerprint(), true},
        {"a stranger's certificate", &stranger_id, receiver_id.fingerprint(), false},
        {"a receiver not pinned", &sender_id, stranger_id.fingerprint(), false},
        {"clear text", nullptr, QByteArray(), false},
    };
    for (const Case &c : cases) {
        const QString dest = dir.path() + "/dest-" + QString::number(&c - cases);
        auto *reader = new CTcpFileReader(body.size(), dest, kLocal);
        reader->setTls(receiver_id, sender_id.fingerprint());
        reader->setIdleTimeout(3000);
        QPointer<CTcpFileReader> reader_guard(reader);
        QSignalSpy received(reader, &CTcpFileReader::sigReceived);
        QCOMPARE(reader->start(), QString());
        QTcpSocket plain;
        QPointer<CTcpFileSender> sender;
        if (c.sender) {
            sender = new CTcpFileSender(src, kLocal);
            sender->setTls(*c.sender, c.sender_expects);
            sender->connectToHostEncrypted(kLocal, reader->serverPort());
        } else {
            plain.connectToHost(QHostAddress::LocalHost, reader->serverPort());
            QVERIFY(plain.waitForConnected(5000));
            plain.write(body.left(4096));
        }
        QTRY_VERIFY_WITH_TIMEOUT(!reader_guard, 30000);
        QVERIFY2((received.count() == 1) == c.arrives, c.name);
        QVERIFY2((ReadFile(dest) == body) == c.arrives, c.name);
        QTRY_VERIFY2(!sender, c.name);
    }
}

TOLVANE_TEST_MAIN(TestLinkTls)
#include "tst_link_tls.moc"
