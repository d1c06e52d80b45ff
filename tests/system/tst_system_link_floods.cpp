// A real program under the floods of hosts on its network that never read what they are
// sent, or never give a password, or ask for the history over and over: its memory stays
// within a bound, real hosts still link, and it keeps capturing the clipboard.
#include "isolated_env.h"
#include "item/cbdata.h"
#include "item/history_file.h"
#include "process_memory.h"
#include "raw_websocket.h"
#include "tolvane_process.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtTest>

#include <memory>
#include <vector>

namespace {
const QString kPwd = QStringLiteral("flood-test-pw");
const qint64 kMiB = 1024 * 1024;
const QString kListening = QStringLiteral("server listening on port");
const QString kCaptured = QStringLiteral("captured");

std::unique_ptr<RawWebSocket> Join(quint16 port, bool give_password)
{
    auto peer = std::make_unique<RawWebSocket>();
    if (!peer->connectTo(port))
        return nullptr;
    if (give_password) {
        peer->sendText(QStringLiteral("??tag_pwd#") + kPwd);
        QString ok;
        if (!peer->waitForText(ok) || ok != QLatin1String("!!tag_pwd#ok"))
            return nullptr;
    }
    return peer;
}

// A history of `rows` texts of `chars` characters each, as a long-used list would be.
bool WriteHistory(const QString &path, int rows, int chars)
{
    QVector<CBData> items;
    for (int i = 0; i < rows; ++i) {
        CBData d;
        d.type = CQmlTypes::Text;
        d.plain = QString(chars, QChar(u'a' + i % 26)) + QString::number(i);
        d.val = d.plain.toString();
        d.md5 = QString::number(i).rightJustified(32, QLatin1Char('0'));
        items.append(d);
    }
    QDir().mkpath(QFileInfo(path).path());
    return HistoryFile::Save(path, items).isEmpty();
}
} // namespace

class TestSystemLinkFloods : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void floodsKeepMemoryBounded_data();
    void floodsKeepMemoryBounded();
    void historyRequestsDoNotDelayCapture();

private:
    bool startApp(const QByteArray &extra_ini = QByteArray());

    std::unique_ptr<TolvaneEnvironment> m_env;
    std::unique_ptr<TolvaneProcess> m_app;
    ChildProcesses m_children;
};

void TestSystemLinkFloods::init()
{
    m_env = std::make_unique<TolvaneEnvironment>();
    QVERIFY(m_env->isValid());
}

void TestSystemLinkFloods::cleanup()
{
    m_children.endAll();
    m_app.reset();
    m_env.reset();
}

bool TestSystemLinkFloods::startApp(const QByteArray &extra_ini)
{
    if (!m_env->writeSettings("app_version=0.0.1\n" + extra_ini +
                              "[connect]\nconnect_port=" + QByteArray::number(m_env->linkPort()) +
                              "\nconnect_local_pwd=" + kPwd.toUtf8() + "\n"))
        return false;
    m_app = std::make_unique<TolvaneProcess>(*m_env);
    return m_app->start() && m_app->waitForCount(kListening, 1, 20000);
}

void TestSystemLinkFloods::floodsKeepMemoryBounded_data()
{
    QTest::addColumn<int>("peers");
    QTest::addColumn<bool>("password");
    QTest::addColumn<bool>("pings");
    QTest::newRow("pings before the password") << 1 << false << true;
    QTest::newRow("two peers pinging") << 2 << false << true;
    QTest::newRow("requests after the password") << 1 << true << false;
}

void TestSystemLinkFloods::floodsKeepMemoryBounded()
{
    QFETCH(int, peers);
    QFETCH(bool, password);
    QFETCH(bool, pings);
    QVERIFY(startApp());
    const qint64 pid = m_app->process().processId();
    QTest::qWait(2000);
    const qint64 base = RssKiB(pid);
    QVERIFY(base > 0);

    std::vector<std::unique_ptr<RawWebSocket>> flooders;
    for (int i = 0; i < peers; ++i) {
        flooders.push_back(Join(m_env->linkPort(), password));
        QVERIFY(flooders.back());
        flooders.back()->stopReading();
    }
    // Silent sockets sit there as well; they take no place.
    std::vector<std::unique_ptr<RawWebSocket>> silent;
    for (int i = 0; i < 3; ++i) {
        silent.push_back(Join(m_env->linkPort(), false));
        QVERIFY(silent.back());
    }
    const QString request = "??tag_normal_file#/" + QString(60000, QLatin1Char('p')) + "**##!!";
    const QByteArray ping(125, 'x');
    const qint64 goal = 400 * kMiB; // per peer
    qint64 peak = base;
    std::vector<qint64> sent(size_t(peers), 0);
    QElapsedTimer t;
    t.start();
    const auto busy = [&] {
        for (size_t i = 0; i < flooders.size(); ++i) {
            if (sent[i] < goal && !flooders[i]->isTcpClosed())
                return true;
        }
        return false;
    };
    while (busy() && t.elapsed() < 60000) {
        for (size_t i = 0; i < flooders.size(); ++i) {
            RawWebSocket &p = *flooders[i];
            if (p.isTcpClosed() || sent[i] >= goal || p.bytesToWrite() > 512 * 1024)
                continue;
            for (int n = 0; n < (pings ? 2000 : 8); ++n) {
                if (pings)
                    p.sendFrame(0x9, ping);
                else
                    p.sendText(request);
                sent[i] += pings ? ping.size() : request.size();
            }
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        peak = qMax(peak, RssKiB(pid));
    }
    QTest::qWait(1000);
    peak = qMax(peak, RssKiB(pid));
    qint64 total = 0;
    for (qint64 s : sent)
        total += s;
    qInfo() << "tolvane RSS" << base / 1024 << "MiB at rest," << peak / 1024 << "MiB at most;"
            << total / kMiB << "MiB sent by" << peers << "peer(s) in" << t.elapsed() << "ms";
    QVERIFY2(peak - base < 50 * 1024, qPrintable(QString::number(peak - base)));
    // A real host still links; pinging peers were dropped, requesting ones only go unanswered.
    flooders.clear();
    auto real = Join(m_env->linkPort(), true);
    QVERIFY(real);
    QString msg;
    QVERIFY(real->waitForText(msg));
    QCOMPARE(msg, QStringLiteral("??tag_os#"));
    QTest::qWait(1000);
    qInfo() << "tolvane RSS after the floods" << RssKiB(pid) / 1024 << "MiB";
}

void TestSystemLinkFloods::historyRequestsDoNotDelayCapture()
{
    // A long-used history: 50 texts of 360 000 characters, about 36 MB.
    QVERIFY(WriteHistory(m_env->cacheDir() + "/clipboard/history", 50, 360000));
    QVERIFY(startApp());
    auto peer = Join(m_env->linkPort(), true);
    QVERIFY(peer);
    QVector<qint64> delays;
    for (int copy = 0; copy < 5; ++copy) {
        for (int i = 0; i < 100; ++i)
            peer->sendText(QStringLiteral("??tag_normal_file#history"));
        const int before = m_app->count(kCaptured);
        QProcess *xclip = m_children.start(
            QStringLiteral("xclip"), {"-quiet", "-selection", "clipboard", "-t", "UTF8_STRING"});
        QVERIFY(xclip);
        QElapsedTimer t;
        t.start();
        xclip->write(QStringLiteral("copy %1 during the flood").arg(copy).toUtf8());
        xclip->closeWriteChannel();
        QVERIFY2(m_app->waitForCount(kCaptured, before + 1, 10000), qPrintable(m_app->log()));
        delays << t.elapsed();
        peer->drain(300);
    }
    qInfo() << "capture delays during the history request flood (ms):" << delays;
    for (qint64 d : delays)
        QVERIFY2(d < 1000, qPrintable(QString::number(d)));
}

TOLVANE_TEST_MAIN(TestSystemLinkFloods)
#include "tst_system_link_floods.moc"
