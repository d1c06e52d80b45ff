// The paste keystroke against a real application in another process under the session's
// window manager: the focused window must receive Ctrl+V and paste what this process put
// on the clipboard, which this process serves while the keystroke waits.
#include "isolated_env.h"
#include "os/os_abstract.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <QUuid>

class TestPasteKeystroke : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void focusedWindowPastesTheClipboard();

private:
    bool waitForLine(const QString &prefix, QString *line, int timeout_ms);

    QProcess m_target;
};

void TestPasteKeystroke::initTestCase()
{
    m_target.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_target.start(QStringLiteral(PASTE_TARGET_PATH), QStringList());
    QVERIFY(m_target.waitForStarted(5000));
    QString line;
    QVERIFY2(waitForLine(QStringLiteral("ready"), &line, 10000),
             "the paste target never got the keyboard focus");
}

void TestPasteKeystroke::cleanupTestCase()
{
    m_target.kill();
    m_target.waitForFinished(3000);
}

bool TestPasteKeystroke::waitForLine(const QString &prefix, QString *line, int timeout_ms)
{
    // Polled with the event loop running: the target asks this process for the clipboard.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeout_ms) {
        while (m_target.canReadLine()) {
            *line = QString::fromUtf8(m_target.readLine()).trimmed();
            if (line->startsWith(prefix))
                return true;
        }
        QTest::qWait(20);
    }
    return false;
}

void TestPasteKeystroke::focusedWindowPastesTheClipboard()
{
    const QString text = QStringLiteral("pasted %1").arg(QUuid::createUuid().toString());
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(text);
    QTRY_VERIFY(clipboard->ownsClipboard());

    // The wait afterwards keeps serving events: a timer due meanwhile fires inside.
    bool fired_inside = false;
    bool returned = false;
    QTimer::singleShot(50, [&] { fired_inside = !returned; });
    QElapsedTimer timer;
    timer.start();
    OsInstance()->SendPasteKeystroke();
    const qint64 waited = timer.elapsed();
    returned = true;
    QVERIFY(fired_inside);
    QVERIFY2(waited >= 140, qPrintable(QString::number(waited)));

    QString line;
    QVERIFY(waitForLine(QStringLiteral("text:"), &line, 5000));
    QCOMPARE(line, QStringLiteral("text:") + text);
}

TOLVANE_TEST_MAIN(TestPasteKeystroke)
#include "tst_paste_keystroke.moc"
