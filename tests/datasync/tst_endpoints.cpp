// The two ends of a link: the server that takes connections and the client that opens one.
#include "datasync/client.h"
#include "datasync/server.h"
#include "isolated_env.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QWebSocket>

class TestEndpoints : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QWebSocket *>(); }

    void serverListensOnlyOnce()
    {
        CServer server;
        QCOMPARE(server.serverName(), QStringLiteral("tolvane_server"));
        QCOMPARE(server.secureMode(), QWebSocketServer::NonSecureMode);
        QCOMPARE(server.Start(0), QString());
        QVERIFY(server.isListening());
        QCOMPARE(server.serverAddress(), QHostAddress(QHostAddress::AnyIPv4));
        server.close();
        QCOMPARE(server.Start(0), QString()); // later calls do not listen again
        QVERIFY(!server.isListening());
    }

    void serverReportsABusyPort()
    {
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::AnyIPv4, 0));
        CServer server;
        QVERIFY(!server.Start(taken.serverPort()).isEmpty());
        QVERIFY(!server.isListening());
    }

    void serverHandsOverEachConnection()
    {
        CServer server;
        QCOMPARE(server.Start(0), QString());
        QSignalSpy arrived(&server, &CServer::SigClientArrived);
        CClient client;
        QSignalSpy connected(&client, &CClient::sigConnected);
        client.Connect(QStringLiteral("127.0.0.1"), server.serverPort());
        QVERIFY(arrived.wait(10000));
        auto *socket = arrived.at(0).at(0).value<QWebSocket *>();
        QCOMPARE(socket->parent(), &server);
        QVERIFY(connected.count() == 1 || connected.wait(10000));
        QCOMPARE(connected.at(0).at(0).value<QWebSocket *>(), client.socket());
    }

    void clientOpensTheAddressAsGiven_data()
    {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("url");
        QTest::newRow("address") << "192.0.2.20"
                                 << "ws://192.0.2.20:8121";
        QTest::newRow("host name") << "hostb.invalid"
                                   << "ws://hostb.invalid:8121";
    }

    void clientOpensTheAddressAsGiven()
    {
        QFETCH(QString, ip);
        QFETCH(QString, url);
        CClient client;
        QCOMPARE(client.socket()->version(), QWebSocketProtocol::Version13);
        QCOMPARE(client.socket()->origin(), QString());
        QSignalSpy starting(&client, &CClient::sigStartedConnecting);
        client.Connect(ip, 8121);
        QCOMPARE(starting.count(), 1);
        QCOMPARE(starting.at(0).at(0).toString(), ip);
        QCOMPARE(client.socket()->requestUrl(), QUrl(url));
        client.socket()->abort();
    }

    void clientReportsAFailureOnce()
    {
        quint16 closed = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            closed = probe.serverPort();
        }
        CClient client;
        QSignalSpy failed(&client, &CClient::sigFailed);
        QSignalSpy connected(&client, &CClient::sigConnected);
        client.Connect(QStringLiteral("127.0.0.1"), closed);
        QVERIFY(failed.wait(10000));
        QTest::qWait(200);
        QCOMPARE(failed.count(), 1);
        QCOMPARE(connected.count(), 0);
    }
};

TOLVANE_TEST_MAIN(TestEndpoints)
#include "tst_endpoints.moc"
