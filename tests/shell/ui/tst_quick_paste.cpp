// The global hot keys and the quick paste window as a user meets them: the real
// controller under a window manager, key presses and clicks from another X client
// (xdotool), the paste landing in a text field of another process, and the clipboard read
// back the way another program reads it (xclip).
#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "cmain.h"
#include "foreign_key_grab.h"
#include "free_port.h"
#include "isolated_env.h"
#include "item/mime_convert.h"
#include "paste_target_process.h"
#include "qt_warning_log.h"
#include "quick_paste_view.h"
#include "settings/settings_helper.h"
#include "test_items.h"
#include "ui_driver.h"
#include "ui_test_main.h"

#include <QDir>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QSignalSpy>

#include <memory>

using namespace UiDriver;

namespace {
const QStringList kThree = {"first item", "second item", "third item"};
const QString kPinKey = QStringLiteral("Ctrl+Alt+B");

// Twelve rows of which rows 2, 10 and 11 contain "match".
QStringList TwelveRows()
{
    QStringList rows;
    for (int i = 0; i < 12; ++i)
        rows << QString(i == 2 || i == 10 || i == 11 ? "match %1" : "plain %1").arg(i);
    return rows;
}
} // namespace

class TestQuickPaste : public QObject
{
    Q_OBJECT
private:
    CClipboardManager *mgr() { return CClipboardManager::instance(); }
    CCilpboardListModel *cb() { return mgr()->clipboardModel(); }
    CCilpboardListModel *pin() { return mgr()->pinModel(); }
    QQuickWindow *qp()
    {
        CQuickPasteView *view = m_main->quickPasteView();
        return view ? view->window() : nullptr;
    }
    bool qpShown() { return qp() && qp()->isVisible(); }
    QObject *qpObj(const char *name)
    {
        QObject *o = qp() ? Find(qp(), name) : nullptr;
        if (!o)
            qWarning() << "no object" << name;
        return o;
    }
    QVariant qpProp(const char *name, const char *property)
    {
        QObject *o = qpObj(name);
        return o ? o->property(property) : QVariant();
    }
    int page() { return qpProp("swipelayout", "currentIndex").toInt(); }

    void fill(const QStringList &rows)
    {
        cb()->clearRows();
        FillTextRows(*cb(), rows);
        mgr()->syncModel2Clipboard();
        QTRY_COMPARE(ForeignClipboard(), rows.first());
    }
    // A paste target of another process, focused and out of the quick paste window's way.
    void startTarget()
    {
        m_target = std::make_unique<PasteTargetProcess>(QStringLiteral(PASTE_TARGET_PATH));
        QVERIFY2(m_target->start(), "the paste target never got the keyboard focus");
        Run("xdotool", {"windowmove", "--sync", m_target->windowId(), "0", "0"});
        focusTarget();
    }
    void focusTarget()
    {
        Run("xdotool", {"windowactivate", "--sync", m_target->windowId()});
        QTRY_VERIFY(!QGuiApplication::focusWindow());
    }
    // Shows or hides the window with a hot key: every press toggles it.
    void toggleQuickPaste(const QString &combo, bool shown)
    {
        QCOMPARE(qpShown(), !shown);
        Key({combo});
        QTRY_COMPARE_WITH_TIMEOUT(qpShown(), shown, 15000);
    }
    void openQuickPaste(const QString &combo = "ctrl+alt+v")
    {
        toggleQuickPaste(combo, true);
        QTRY_VERIFY_WITH_TIMEOUT(qp()->isActive(), 15000);
    }
    void saveShot(const QString &name)
    {
        // Rows fade in, images load asynchronously.
        const QString path = QString(TOLVANE_ARTIFACTS_DIR) + "/" + name + "-" + m_theme + ".png";
        QVERIFY2(SaveShot(qp(), path, 600), qPrintable(path));
    }

    CMain *m_main = nullptr;
    QQuickWindow *m_wnd = nullptr;
    QString m_theme;
    std::unique_ptr<PasteTargetProcess> m_target;

private slots:
    void initTestCase()
    {
        m_theme = qEnvironmentVariable("TOLVANE_UI_THEME") == "dark" ? "dark" : "light";
        CSettingsHelper *ini = CSettingsHelper::instance();
        ini->setIni(ini->app_version(), "1.5.0"); // not a first run
        ini->setIni(ini->app_theme_color(), m_theme == "light");
        ini->setIni(ini->app_show_tray(), false);
        ini->setIni(ini->app_autoupdate(), false);
        ini->setIni(ini->connect_port(), QString::number(FreeTcpPort()));
        ini->setIni(ini->key_show_quick_paste_pin(), kPinKey);
        QtWarningLog::instance()->listenNow();
        m_main = new CMain(this);
        m_main->setReleaseHiddenAfter(0); // the test holds on to the windows
        QVERIFY(m_main->initialise());
        m_wnd = m_main->mainWindow();
        QVERIFY(m_wnd);
        Run("xdotool", {"mousemove", "1270", "790"});
        fill(kThree);
    }

    void init()
    {
        if (qpShown())
            QMetaObject::invokeMethod(qp(), "hide");
        QTRY_VERIFY(!qpShown());
    }

    void cleanup()
    {
        m_target.reset();
        CSettingsHelper *ini = CSettingsHelper::instance();
        ini->setIni(ini->stack_qp_hide(), 0);
        // Neither QML nor Qt printed a warning.
        const QStringList warnings = QtWarningLog::instance()->take();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void everyQuickPasteKeyPressToggles()
    {
        QVERIFY(!m_main->quickPasteView()); // made on the first request
        Key({"ctrl+alt+v"});
        QTRY_VERIFY(qpShown());
        QtWarningLog::instance()->watch(m_main->quickPasteView()->engine());
        QSignalSpy visibility(qp(), &QWindow::visibleChanged);
        QCOMPARE(page(), 0);
        QCOMPARE(qpProp("view", "currentIndex").toInt(), 0);
        QTRY_VERIFY(qp()->isActive());
        // Centred on the screen of the window that was active.
        const QRect screen = qp()->screen()->geometry();
        QCOMPARE(qp()->geometry().center().x(), screen.center().x());
        // Opaque without a compositor, which would otherwise show it black until drawn.
        QVERIFY(!qp()->format().hasAlpha());

        // The second press after start hides it, and so on: each press shows or hides.
        for (int press = 2; press <= 6; ++press) {
            Key({"ctrl+alt+v"});
            const bool shown = press % 2 == 1;
            QTRY_COMPARE(qpShown(), shown);
            QCOMPARE(visibility.count(), press - 1);
            if (shown)
                QTRY_VERIFY(qp()->isActive());
        }
    }

    void mainWindowKeyShowsAndHidesTheMainWindow()
    {
        QVERIFY(!m_wnd->isVisible());
        Key({"ctrl+alt+c"});
        QTRY_VERIFY(m_wnd->isVisible());
        QTRY_VERIFY(m_wnd->isActive());
        Key({"ctrl+alt+c"});
        QTRY_VERIFY(!m_wnd->isVisible());
    }

    void pinKeyOpensOnThePinListAndEitherKeyHides()
    {
        pin()->clearRows();
        mgr()->pinItem(1);
        mgr()->pinItem(2);
        openQuickPaste("ctrl+alt+b");
        QCOMPARE(page(), 1);
        QVERIFY(qpProp("search_input_pin", "visible").toBool());
        QVERIFY(!qpProp("search_input", "visible").toBool());
        QCOMPARE(qpProp("view_pin", "currentIndex").toInt(), 0);
        QTRY_VERIFY(qpProp("view_pin", "activeFocus").toBool());

        toggleQuickPaste("ctrl+alt+v", false);
        // Hidden, it is back on the Clipboard list for the next time.
        QCOMPARE(page(), 0);
        openQuickPaste();
        QCOMPARE(page(), 0);
        toggleQuickPaste("ctrl+alt+b", false);
    }

    void keyTakenByAnotherProgramFailsAloneWithAWarning()
    {
        // Turning the hot keys off and on again reads them anew, as the settings do; in
        // between another program takes one of them.
        m_main->SetGlobalShortcutEnable(false);
        ForeignKeyGrab other(QStringLiteral(KEY_GRABBER_PATH), "ctrl+alt+b");
        QCOMPARE(other.answer(), QString("grabbed"));
        QSignalSpy told(CQmlHelper::instance(), &CQmlHelper::sigShowTextViaTray);
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: Ctrl+Alt+B");
        m_main->SetGlobalShortcutEnable(true);
        // The user hears of it once, by the key's name, however often the keys are set.
        QCOMPARE(told.count(), 1);
        QVERIFY2(told.first().at(0).toString().contains("Ctrl+Alt+B"),
                 qPrintable(told.first().at(0).toString()));
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to unregister: Ctrl+Alt+B");
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: Ctrl+Alt+B");
        m_main->SetGlobalShortcutEnable(true);
        QCOMPARE(told.count(), 1);

        Key({"ctrl+alt+c"});
        QTRY_VERIFY(m_wnd->isVisible());
        QTRY_VERIFY(m_wnd->isActive());
        Key({"ctrl+alt+c"});
        QTRY_VERIFY(!m_wnd->isVisible());
        openQuickPaste();
        toggleQuickPaste("ctrl+alt+v", false);

        // Releasing the failed key only reports it.
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to unregister: Ctrl+Alt+B");
        m_main->SetGlobalShortcutEnable(false);
    }

    void settingsSwitchHotKeysAndTrayThroughTheUtilities()
    {
        CQmlHelper *util = CQmlHelper::instance();
        CSettingsHelper *ini = CSettingsHelper::instance();
        // Off: the keys are given back to the desktop.
        emit util->sigSetGlobalShortcutEnable(false);
        {
            ForeignKeyGrab other(QStringLiteral(KEY_GRABBER_PATH), "ctrl+alt+c");
            QCOMPARE(other.answer(), QString("grabbed"));
        }
        // On again, an edited key takes effect.
        ini->setIni(ini->key_show_clipboard(), "Ctrl+Alt+K");
        emit util->sigSetGlobalShortcutEnable(true);
        Key({"ctrl+alt+k"});
        QTRY_VERIFY(m_wnd->isVisible());
        QTRY_VERIFY(m_wnd->isActive());
        Key({"ctrl+alt+k"});
        QTRY_VERIFY(!m_wnd->isVisible());
        ini->setIni(ini->key_show_clipboard(), "Ctrl+Alt+C");
        m_main->SetGlobalShortcutEnable(true);

        // The tray icon follows its setting when the interface says it changed.
        QVERIFY(!m_main->trayIcon()->isVisible());
        ini->setIni(ini->app_show_tray(), true);
        emit util->sigUpdateTrayIconStatus();
        QVERIFY(m_main->trayIcon()->isVisible());
        ini->setIni(ini->app_show_tray(), false);
        emit util->sigUpdateTrayIconStatus();
        QVERIFY(!m_main->trayIcon()->isVisible());
    }

    void digitPastesIntoTheFocusedApplication()
    {
        fill(kThree);
        startTarget();
        openQuickPaste();
        Key({"2"});
        QVERIFY2(m_target->waitForText(kThree.at(1)), qPrintable(m_target->text()));
        QVERIFY(!qpShown());
        // The pasted item stays on the clipboard (a Ctrl+V by hand pastes it again), and the
        // history did not change.
        QTRY_COMPARE(ForeignClipboard(), kThree.at(1));
        QCOMPARE(cb()->rowCount(), 3);
        QCOMPARE(cb()->getPlain(0), kThree.at(0));

        // "5" with three items does nothing; the window goes on taking keys.
        focusTarget();
        openQuickPaste();
        Key({"5", "Down"});
        QTRY_COMPARE(qpProp("view", "currentIndex").toInt(), 1);
        QVERIFY(qpShown());
        // Enter pastes the current row.
        Key({"Return"});
        QVERIFY2(m_target->waitForText(kThree.at(1) + kThree.at(1)), qPrintable(m_target->text()));
        QTRY_COMPARE(ForeignClipboard(), kThree.at(1));

        // "1" pastes the newest item, written back since the clipboard holds another.
        focusTarget();
        openQuickPaste();
        Key({"1"});
        QVERIFY2(m_target->waitForText(kThree.at(1) + kThree.at(1) + kThree.at(0)),
                 qPrintable(m_target->text()));
        QTRY_COMPARE(ForeignClipboard(), kThree.at(0));
    }

    void functionKeyPastesAFilteredRowPastTheNinth()
    {
        const QStringList rows = TwelveRows();
        fill(rows);
        startTarget();
        openQuickPaste();
        Key({"ctrl+f"});
        QTRY_VERIFY(qpProp("search_input", "activeFocus").toBool());
        Type("match");
        QTRY_COMPARE(qpProp("search_input", "text").toString(), QString("match"));
        QTRY_VERIFY(!cb()->isVisibleQp(0));
        // Rows 10 and 11 are the filtered rows past the ninth: F1 and F2.
        QTRY_COMPARE(qpProp("view", "filter_index_map").toMap().value("F1").toInt(), 10);
        Key({"F1"});
        QVERIFY2(m_target->waitForText(rows.at(10)), qPrintable(m_target->text()));
        QTRY_COMPARE(ForeignClipboard(), rows.at(10));
        // Hiding cleared the search.
        QCOMPARE(qpProp("search_input", "text").toString(), QString());
        QVERIFY(cb()->isVisibleQp(0));

        // Without a search, F1 is the tenth row.
        focusTarget();
        openQuickPaste();
        Key({"F1"});
        QVERIFY2(m_target->waitForText(rows.at(10) + rows.at(9)), qPrintable(m_target->text()));
    }

    void focusLostHidesOnlyWhenChosen()
    {
        fill(kThree);
        startTarget();
        CSettingsHelper *ini = CSettingsHelper::instance();
        ini->setIni(ini->stack_qp_hide(), 0); // ItemPasted: a click elsewhere keeps it
        openQuickPaste();
        Run("xdotool", {"mousemove", "--window", m_target->windowId(), "10", "10", "click", "1"});
        QTRY_VERIFY(!qp()->isActive());
        QTest::qWait(200);
        QVERIFY(qpShown());
        toggleQuickPaste("ctrl+alt+v", false);

        focusTarget();
        ini->setIni(ini->stack_qp_hide(), 1); // FocusLost
        openQuickPaste();
        Run("xdotool", {"mousemove", "--window", m_target->windowId(), "10", "10", "click", "1"});
        QTRY_VERIFY(!qpShown());
        QCOMPARE(m_target->text(), QString()); // nothing was pasted
        Run("xdotool", {"mousemove", "1270", "790"});
    }

    void searchThatHidesEverythingShowsThePicture()
    {
        fill(kThree);
        openQuickPaste();
        Key({"Tab"});
        QTRY_VERIFY(qpProp("search_input", "activeFocus").toBool());
        Type("nothing like it");
        QTRY_VERIFY(!qpProp("swipelayout", "visible").toBool());
        QVERIFY(qpProp("placeholder", "visible").toBool());
        // Clearing the search brings the rows back and leaves the typing in the field.
        Key({"ctrl+a", "BackSpace"});
        QTRY_VERIFY(qpProp("swipelayout", "visible").toBool());
        QTRY_VERIFY(qpProp("search_input", "activeFocus").toBool());
        Type("sec");
        QTRY_COMPARE(qpProp("search_input", "text").toString(), QString("sec"));
        Key({"Escape"});
        QTRY_VERIFY(!qpShown());
        openQuickPaste();
        QTRY_VERIFY(qpProp("swipelayout", "visible").toBool());
        QVERIFY(!qpProp("placeholder", "visible").toBool());

        // Shown, the list has the focus; Tab goes to the search field and back.
        QTRY_VERIFY(qpProp("view", "activeFocus").toBool());
        Key({"Tab"});
        QTRY_VERIFY(qpProp("search_input", "activeFocus").toBool());
        Key({"Right"}); // moves the text cursor only
        Key({"Tab"});
        QTRY_VERIFY(qpProp("view", "activeFocus").toBool());
        QCOMPARE(page(), 0);
        // Left and right switch the lists while a list has the focus.
        Key({"Right"});
        QTRY_COMPARE(page(), 1);
        Key({"Left"});
        QTRY_COMPARE(page(), 0);
    }

    void rowHeightsFollowTheSetting()
    {
        openQuickPaste();
        QObject *view = qpObj("view");
        CSettingsHelper *ini = CSettingsHelper::instance();
        for (const auto &stored_shown : {qMakePair(60, 74), qMakePair(3, 74), qMakePair(48, 48),
                                         qMakePair(96, 96), qMakePair(120, 120)}) {
            ini->setIni(ini->stack_quickview_item_height(), stored_shown.first);
            QVariant height;
            QVERIFY(QMetaObject::invokeMethod(view, "getHeight", Q_RETURN_ARG(QVariant, height)));
            QCOMPARE(height.toInt(), stored_shown.second);
        }
        // The settings window previews a height on both lists at once.
        emit ini->sigQuickpasteItemHeightChanged(120);
        QCOMPARE(view->property("item_height").toInt(), 120);
        QCOMPARE(qpProp("view_pin", "item_height").toInt(), 120);
        emit ini->sigQuickpasteItemHeightChanged(74);
        QCOMPARE(view->property("item_height").toInt(), 74);
    }

    void screenshots()
    {
        // Every kind of item, as captured from the clipboard.
        cb()->clearRows();
        pin()->clearRows();
        auto add = [this](QMimeData *mime) {
            cb()->prependItem(GetCBDataFromMime(mime));
            delete mime;
        };
        auto *files = new QMimeData;
        files->setUrls({QUrl::fromLocalFile("/etc/hostname"), QUrl::fromLocalFile("/usr/share")});
        add(files);
        QImage picture(480, 300, QImage::Format_RGB32);
        QPainter painter(&picture);
        QLinearGradient gradient(0, 0, 480, 300);
        gradient.setColorAt(0, QColor("#1e88e5"));
        gradient.setColorAt(1, QColor("#f4511e"));
        painter.fillRect(picture.rect(), gradient);
        painter.end();
        auto *image = new QMimeData;
        image->setImageData(picture);
        add(image);
        auto *colour = new QMimeData;
        colour->setText("#2e7d32");
        add(colour);
        auto *html = new QMimeData;
        html->setHtml("<h3>Release notes</h3><p>Quick paste opens with <b>Ctrl+Alt+V</b>.</p>");
        html->setText("Release notes");
        add(html);
        for (const QString &text : {"ssh deploy@build-02 'systemctl restart tolvane'",
                                    "Meeting moved to Thursday, 10:30, room 4",
                                    "https://tolvane.example.org/docs/quick-paste"})
            cb()->prependItem(TextItem(text));
        for (int row : {0, 3, 5})
            mgr()->pinItem(row);
        mgr()->syncModel2Clipboard();

        openQuickPaste();
        // The page dots sit below the last row, not over it.
        auto *dots = qobject_cast<QQuickItem *>(qpObj("page_dots"));
        auto *pages = qobject_cast<QQuickItem *>(qpObj("swipelayout"));
        QVERIFY(dots && pages);
        QVERIFY(dots->mapToScene(QPointF()).y() >=
                pages->mapToScene(QPointF(0, pages->height())).y() - 0.5);
        saveShot("quickpaste-clipboard");
        toggleQuickPaste("ctrl+alt+v", false);
        openQuickPaste("ctrl+alt+b");
        QCOMPARE(page(), 1);
        saveShot("quickpaste-pin");

        // A search marks its matches in the previews of the rows it leaves.
        toggleQuickPaste("ctrl+alt+b", false);
        openQuickPaste();
        Key({"Tab"});
        QTRY_VERIFY(qpProp("search_input", "activeFocus").toBool());
        Type("tolvane");
        QTRY_COMPARE(qpProp("search_input", "text").toString(), QString("tolvane"));
        auto *view = qobject_cast<QQuickItem *>(qpObj("view"));
        QTRY_COMPARE(VisibleItems(view, "text_head", "<font").size(), 2);
        saveShot("quickpaste-search");
        const QImage shot = qp()->grabWindow();
        for (QQuickItem *head : VisibleItems(view, "text_head", "<font"))
            QVERIFY2(MarkPixels(shot, head) > 15, qPrintable(head->property("text").toString()));
        Key({"Escape"});
        QTRY_VERIFY(!qpShown());
    }

    void cleanupTestCase()
    {
        delete m_main;
        m_main = nullptr;
    }
};

TOLVANE_UI_TEST_MAIN(TestQuickPaste)

#include "tst_quick_paste.moc"
