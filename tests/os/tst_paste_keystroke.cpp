// The paste keystroke against a real application in another process under the session's
// window manager: the focused window must receive Ctrl+V and paste what this process put
// on the clipboard, which this process serves while the keystroke waits.
#include "isolated_env.h"
#include "os/os_abstract.h"
#include "paste_target_process.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QTimer>
#include <QUuid>

class TestPasteKeystroke : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void focusedWindowPastesTheClipboard();

private:
    PasteTargetProcess m_target{QStringLiteral(PASTE_TARGET_PATH)};
};

void TestPasteKeystroke::initTestCase()
{
    QVERIFY2(m_target.start(), "the paste target never got the keyboard focus");
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

    QVERIFY2(m_target.waitForText(text), qPrintable(m_target.text()));
}

TOLVANE_TEST_MAIN(TestPasteKeystroke)
#include "tst_paste_keystroke.moc"
