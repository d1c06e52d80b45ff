// The quick paste on GNOME's compositor without data control and without XWayland (a
// headless mutter 43), where only the focused window may write the clipboard: the item is
// written while the quick paste window has the focus and confirmed before the window
// hides, so "Copied, press Ctrl+V" is true; a write the compositor refuses is never claimed.
// The real controller and windows; keys through a keyboard of mutter's remote desktop.
#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "cmain.h"
#include "fake_notifications.h"
#include "free_port.h"
#include "paste_target_process.h"
#include "quick_paste_view.h"
#include "settings/settings_helper.h"
#include "test_items.h"
#include "threaded_bus_service.h"
#include "ui_test_main.h"

#include <QProcess>
#include <QQuickWindow>

#include <memory>

namespace {
const QStringList kThree = {"first item", "second item", "third item"};
const QString kCopied = QStringLiteral(": Copied, press Ctrl+V");
const QString kRefused =
    QStringLiteral(": The desktop did not let Tolvane put the item on the clipboard; nothing "
                   "was pasted.");
} // namespace

class TestMutterQuickPaste : public QObject
{
    Q_OBJECT
private:
    CCilpboardListModel *cb() { return CClipboardManager::instance()->clipboardModel(); }
    QQuickWindow *qp()
    {
        CQuickPasteView *view = m_main->quickPasteView();
        return view ? view->window() : nullptr;
    }
    // Ctrl+V where the keyboard focus is; the text the target then shows.
    bool typeCtrlV()
    {
        m_keyboard.write("Control_L+v\n");
        return QTest::qWaitFor([this] { return m_keyboard.readAll().contains("ok"); }, 10000);
    }
    int noticesEndingWith(const QString &end)
    {
        int n = 0;
        for (const QString &notice : m_notifications->shown())
            n += notice.endsWith(end) ? 1 : 0;
        return n;
    }

    QProcess m_keyboard;
    CFakeNotifications *m_notifications = nullptr;
    std::unique_ptr<ThreadedBusService> m_notificationService;
    CMain *m_main = nullptr;

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariable("TOLVANE_DESKTOP") != QLatin1String("mutter"))
            QSKIP("runs inside run-in-desktop.sh mutter");
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        qputenv("QT_QPA_PLATFORM", "wayland"); // for the target
        m_keyboard.start(qEnvironmentVariable("MUTTER_KEYBOARD"), QStringList());
        QVERIFY(QTest::qWaitFor([this] { return m_keyboard.readAll().contains("ready"); }, 10000));
        // The first keys of a new device set up its keymap in the clients.
        m_keyboard.write("Shift_L\n");
        QVERIFY(QTest::qWaitFor([this] { return m_keyboard.readAll().contains("ok"); }, 10000));

        m_notifications = new CFakeNotifications;
        m_notificationService = std::make_unique<ThreadedBusService>(
            CFakeNotifications::kService, CFakeNotifications::kPath, m_notifications);
        QVERIFY(m_notificationService->isRegistered());

        CSettingsHelper *ini = CSettingsHelper::instance();
        ini->setIni(ini->app_version(), "1.5.0"); // not a first run
        ini->setIni(ini->connect_port(), QString::number(FreeTcpPort()));
        m_main = new CMain(this);
        QVERIFY(m_main->initialise());
        QVERIFY(m_main->mainWindow());
    }

    void copiedIsTrueAndARefusalIsNotClaimed()
    {
        cb()->clearRows();
        FillTextRows(*cb(), kThree);
        PasteTargetProcess target(qEnvironmentVariable("PASTE_TARGET"));
        QVERIFY2(target.start(), "the paste target never got the keyboard focus");

        emit CQmlHelper::instance()->sigShowQuickPaste();
        QTRY_VERIFY_WITH_TIMEOUT(qp() && qp()->isActive(), 15000);
        QVERIFY(QMetaObject::invokeMethod(qp(), "quickPasteCurViewByIndex", Q_ARG(QVariant, 1)));
        QTRY_VERIFY_WITH_TIMEOUT(!qp()->isVisible(), 15000);
        // No way to type here: the user is told, and what the user's Ctrl+V gives the
        // program is the item.
        QTRY_COMPARE_WITH_TIMEOUT(noticesEndingWith(kCopied), 1, 15000);
        QCOMPARE(noticesEndingWith(kRefused), 0);
        QVERIFY(typeCtrlV());
        QVERIFY2(target.waitForText(kThree.at(1), 15000), qPrintable(target.text()));

        // Without the focus the compositor may refuse the write (it cancels it) or take it:
        // what the program says agrees with what the user's Ctrl+V then gives.
        QVERIFY(!qp()->isActive());
        const bool took = CQmlHelper::instance()->writeWhileFocused(cb(), 2);
        if (!took)
            QTRY_COMPARE_WITH_TIMEOUT(noticesEndingWith(kRefused), 1, 15000);
        QCOMPARE(noticesEndingWith(kRefused), took ? 0 : 1);
        QCOMPARE(noticesEndingWith(kCopied), 1);
        QVERIFY(typeCtrlV());
        QVERIFY2(target.waitForText(kThree.at(1) + kThree.at(took ? 2 : 1), 15000),
                 qPrintable(target.text()));
    }

    void cleanupTestCase()
    {
        delete m_main;
        m_main = nullptr;
        m_notificationService.reset();
        m_keyboard.close();
    }
};

TOLVANE_UI_TEST_MAIN(TestMutterQuickPaste)
#include "tst_mutter_quick_paste.moc"
