// The hot keys and the paste on a Wayland compositor (a headless sway), as a user meets
// them: the real controller; the hot keys bound through a GlobalShortcuts portal of the
// test's own and activated there; keys typed into the quick paste window by another client
// (wtype); the paste landing in a text field of another Wayland process.
#include "clipboard/clipboard_manager.h"
#include "cmain.h"
#include "fake_shortcuts_portal.h"
#include "free_port.h"
#include "paste_target_process.h"
#include "quick_paste_view.h"
#include "settings/settings_helper.h"
#include "sway_tree.h"
#include "test_items.h"
#include "threaded_bus_service.h"
#include "ui_driver.h"
#include "ui_test_main.h"

#include <QAtomicInt>
#include <QQuickItem>
#include <QQuickWindow>
#include <QThread>

#include <memory>

namespace {
const QStringList kThree = {"first item", "second item", "third item"};
const QString kMain = QStringLiteral("show_clipboard");
const QString kQuickPaste = QStringLiteral("quick_paste");
const QString kQuickPastePin = QStringLiteral("quick_paste_pin");

// What another Wayland program gets when it pastes now.
QString ForeignClipboard()
{
    // Events are served meanwhile: this process may own the clipboard.
    return UiDriver::Run(QStringLiteral("wl-paste"), {"--no-newline"});
}
} // namespace

class TestWaylandQuickPaste : public QObject
{
    Q_OBJECT
private:
    CClipboardManager *mgr() { return CClipboardManager::instance(); }
    CCilpboardListModel *cb() { return mgr()->clipboardModel(); }
    QQuickWindow *qp()
    {
        CQuickPasteView *view = m_main->quickPasteView();
        return view ? view->window() : nullptr;
    }
    bool qpShown() { return qp() && qp()->isVisible(); }
    // Counts the frames a window draws, and those drawn off the GUI thread.
    void countFrames(QQuickWindow *window)
    {
        connect(
            window, &QQuickWindow::beforeRendering, this,
            [this] {
                ++m_frames;
                if (QThread::currentThread() != qApp->thread())
                    ++m_framesOffGuiThread;
            },
            Qt::DirectConnection);
    }
    QVariant qpProp(const char *name, const char *property)
    {
        QObject *o = qp() ? UiDriver::Find(qp(), name) : nullptr;
        return o ? o->property(property) : QVariant();
    }
    // A hot key as the desktop reports it.
    void activate(const QString &id) { m_portal->activate(id); }
    // Every quick paste request shows or hides the window.
    void toggleQuickPaste(const QString &id, bool shown)
    {
        QCOMPARE(qpShown(), !shown);
        activate(id);
        QTRY_COMPARE_WITH_TIMEOUT(qpShown(), shown, 15000);
    }

    CFakeShortcutsPortal *m_portal = nullptr;
    std::unique_ptr<ThreadedBusService> m_service;
    CMain *m_main = nullptr;
    QQuickWindow *m_wnd = nullptr;
    QAtomicInt m_frames = 0;
    QAtomicInt m_framesOffGuiThread = 0;

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        m_portal = new CFakeShortcutsPortal;
        m_service = std::make_unique<ThreadedBusService>(
            CFakePortal::kService, CFakePortal::kPath, m_portal,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        QVERIFY(m_service->isRegistered());

        CSettingsHelper *ini = CSettingsHelper::instance();
        ini->setIni(ini->app_version(), "1.5.0"); // not a first run
        ini->setIni(ini->app_show_tray(), false);
        ini->setIni(ini->key_show_quick_paste_pin(), QStringLiteral("Ctrl+Alt+B"));
        // The link server on a free port: when it cannot listen the main window shows why.
        ini->setIni(ini->connect_port(), QString::number(FreeTcpPort()));
        m_main = new CMain(this);
        m_main->setReleaseHiddenAfter(0); // the test holds on to the windows
        QVERIFY(m_main->initialise());
        m_wnd = m_main->mainWindow();
        QVERIFY(m_wnd);
        countFrames(m_wnd);
    }

    void threeActionsBoundWithTheirPreferredTriggers()
    {
        const QMap<QString, QString> expected = {
            {kMain, "CTRL+ALT+c"}, {kQuickPaste, "CTRL+ALT+v"}, {kQuickPastePin, "CTRL+ALT+b"}};
        QTRY_COMPARE_WITH_TIMEOUT(m_portal->bound(), expected, 15000);
        // The three come in one binding, so the desktop asks the user once.
        QCOMPARE(m_portal->sessionsCreated(), 1);
    }

    void eachShortcutDoesWhatItsHotKeyDoes()
    {
        QVERIFY(!m_wnd->isVisible());
        activate(kMain);
        QTRY_VERIFY_WITH_TIMEOUT(m_wnd->isVisible(), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(m_wnd->isActive(), 15000);
        activate(kMain);
        QTRY_VERIFY_WITH_TIMEOUT(!m_wnd->isVisible(), 15000);

        toggleQuickPaste(kQuickPaste, true);
        QCOMPARE(qpProp("swipelayout", "currentIndex").toInt(), 0);
        countFrames(qp());
        toggleQuickPaste(kQuickPaste, false);

        mgr()->pinItem(0);
        toggleQuickPaste(kQuickPastePin, true);
        QCOMPARE(qpProp("swipelayout", "currentIndex").toInt(), 1);
        toggleQuickPaste(kQuickPaste, false);

        // Windows that show and hide quickly draw on the GUI thread here: Mesa's Wayland
        // EGL does not survive a hide while a render thread draws.
        QVERIFY(m_frames > 0);
        QCOMPARE(int(m_framesOffGuiThread), 0);
    }

    void digitPastesIntoAnotherWaylandProgram()
    {
        cb()->clearRows();
        FillTextRows(*cb(), kThree);
        mgr()->syncModel2Clipboard();
        QTRY_COMPARE_WITH_TIMEOUT(ForeignClipboard(), kThree.first(), 15000);

        PasteTargetProcess target(qEnvironmentVariable("PASTE_TARGET"));
        QVERIFY2(target.start(), "the paste target never got the keyboard focus");
        toggleQuickPaste(kQuickPaste, true);
        QTRY_VERIFY_WITH_TIMEOUT(qp()->isActive(), 15000);
        UiDriver::Run(QStringLiteral("wtype"), {"2"});
        QVERIFY2(target.waitForText(kThree.at(1), 15000), qPrintable(target.text()));
        QVERIFY(!qpShown());
        // The pasted item stays on the clipboard, and the history did not change.
        QTRY_COMPARE_WITH_TIMEOUT(ForeignClipboard(), kThree.at(1), 15000);
        QCOMPARE(cb()->rowCount(), 3);
    }

    void cleanupTestCase()
    {
        delete m_main;
        m_main = nullptr;
        m_service.reset();
    }
};

TOLVANE_UI_TEST_MAIN(TestWaylandQuickPaste)

#include "tst_wayland_quick_paste.moc"
