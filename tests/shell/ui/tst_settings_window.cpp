// The settings, key map, about and update dialogs as a user meets them: the real
// controller and main window under a window manager, driven by real pointer and key events
// (xdotool); results read from the settings store, the autostart folder and the dialogs.
// Run again in the dark theme and in Chinese for the screenshots (test-artifacts/).
#include "clipboard/qml_helper.h"
#include "cmain.h"
#include "local_http_server.h"
#include "main_window_start.h"
#include "qt_warning_log.h"
#include "settings/settings_helper.h"
#include "ui_driver.h"
#include "ui_test_main.h"
#include "url_recorder.h"

#include <QDesktopServices>
#include <QDir>
#include <QQmlError>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStyleHints>

using namespace UiDriver;

class TestSettingsWindow : public QObject
{
    Q_OBJECT
private:
    CSettingsHelper *ini() { return CSettingsHelper::instance(); }
    QString text(const char *key) { return ini()->getIni(key).toString(); }
    QObject *obj(const char *name)
    {
        QObject *o = Find(m_wnd, name);
        if (!o)
            qWarning() << "no object" << name;
        return o;
    }
    // Read while waiting for a dialog, so a missing object is not worth a warning.
    QVariant prop(const char *name, const char *property)
    {
        QObject *o = Find(m_wnd, name);
        return o ? o->property(property) : QVariant();
    }
    // A click in the middle of a control, through the X server.
    void click(const char *name)
    {
        auto *item = qobject_cast<QQuickItem *>(obj(name));
        QVERIFY2(item && item->isVisible(), name);
        const QPoint centre = OnScreen(item, QPointF(item->width() / 2, item->height() / 2));
        // A second click on the same spot soon after the first would be a double click.
        if ((centre - m_lastClick).manhattanLength() < 8)
            QTest::qWait(qApp->styleHints()->mouseDoubleClickInterval() + 100);
        m_lastClick = centre;
        Run("xdotool",
            {"mousemove", QString::number(centre.x()), QString::number(centre.y()), "click", "1"});
        QTest::qWait(50);
    }
    // Opens a combo box with a click and picks a row with the arrow keys.
    void choose(const char *combo, int index)
    {
        click(combo);
        auto *popup = prop(combo, "popup").value<QObject *>();
        QVERIFY(popup);
        QTRY_VERIFY(popup->property("opened").toBool());
        const int from = prop(combo, "highlightedIndex").toInt();
        for (int i = from; i != index; i += index > i ? 1 : -1)
            Key({index > i ? "Down" : "Up"});
        Key({"Return"});
        QTRY_VERIFY(!popup->property("visible").toBool());
        QTRY_COMPARE(prop(combo, "currentIndex").toInt(), index);
    }
    // How far below the page's visible part the control's bottom lies (<= 0: in view).
    qreal belowView(const char *page, const char *name)
    {
        auto *view = qobject_cast<QQuickItem *>(obj(page));
        auto *item = qobject_cast<QQuickItem *>(obj(name));
        if (!view || !item)
            return 1e6;
        return item->mapToItem(view, QPointF(0, item->height())).y() - view->height();
    }
    qreal pageScroll(const char *page)
    {
        auto *flick = prop(page, "contentItem").value<QObject *>();
        return flick ? flick->property("contentY").toReal() : -1;
    }
    // Turns the mouse wheel over the page (X buttons 4 up, 5 down).
    void wheel(const char *page, bool down, int clicks)
    {
        auto *view = qobject_cast<QQuickItem *>(obj(page));
        QVERIFY(view);
        const QPoint at = OnScreen(view, QPointF(view->width() / 2, 40));
        Run("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y())});
        for (int i = 0; i < clicks; ++i) {
            Run("xdotool", {"click", down ? "5" : "4"});
            QTest::qWait(30);
        }
    }
    // Scrolls the page with the wheel until the control shows in full.
    void scrollTo(const char *page, const char *name)
    {
        for (int i = 0; i < 20 && belowView(page, name) > 0; ++i)
            wheel(page, true, 1);
        QTRY_VERIFY2(belowView(page, name) <= 0, name);
        // Clicks go where the control is once the page has come to rest.
        auto *flick = prop(page, "contentItem").value<QObject *>();
        QTRY_VERIFY(!flick->property("moving").toBool());
    }
    QString autostartFile()
    {
        return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) +
               "/autostart/Tolvane.desktop";
    }
    QByteArray storedBytes()
    {
        ini()->sync();
        QFile file(ini()->fileName());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

    void openSettings()
    {
        if (!m_wnd->isVisible())
            emit CQmlHelper::instance()->sigShowMainWnd();
        QVERIFY(Activate(m_wnd));
        Key({"ctrl+comma"});
        QTRY_VERIFY(prop("settings_wnd", "opened").toBool());
    }
    void closeWith(const char *button)
    {
        click(button);
        QTRY_VERIFY(!Find(m_wnd, "settings_wnd"));
    }
    void showTab(int index)
    {
        click(index == 0 ? "tab_general" : "tab_clipboard");
        QTRY_COMPARE(prop("settings_wnd", "cur_index").toInt(), index);
        QTest::qWait(300); // the page slides in
    }
    // Texts of the dialog that are elided or do not fit across it: a translation too long
    // for its place.
    QStringList textsCutOff(const char *dialog)
    {
        auto *content = prop(dialog, "contentItem").value<QQuickItem *>();
        QQuickItem *face = content ? content->parentItem() : nullptr;
        if (!face)
            return {"no dialog"};
        QStringList cut;
        QList<QQuickItem *> items = face->childItems();
        int texts = 0;
        while (!items.isEmpty()) {
            QQuickItem *item = items.takeLast();
            items << item->childItems();
            if (!item->inherits("QQuickText") || !item->isVisible() || item->opacity() == 0)
                continue;
            const QString shown = item->property("text").toString();
            ++texts;
            const qreal width = item->property("contentWidth").toReal();
            const QRectF at = item->mapRectToItem(face, QRectF(0, 0, width, item->height()));
            const bool elided = item->property("truncated").toBool();
            if (!shown.isEmpty() && (elided || at.left() < 0 || at.right() > face->width() + 0.5))
                cut << shown;
        }
        if (texts < 5)
            cut << "only " + QString::number(texts) + " texts found";
        return cut;
    }
    void saveShot(const QString &name)
    {
        const QString path = QString(TOLVANE_ARTIFACTS_DIR) + "/" + name + "-" + m_variant + ".png";
        QVERIFY2(SaveShot(m_wnd, path, 700), qPrintable(path));
    }

    CMain *m_main = nullptr;
    QQuickWindow *m_wnd = nullptr;
    QPoint m_lastClick;
    QString m_variant;
    bool m_chinese = false;
    UrlRecorder m_browser;

private slots:
    void initTestCase()
    {
        m_variant = MainWindowStart::Variant();
        m_chinese = m_variant == "zh_CN";
        QVERIFY(MainWindowStart::PrepareSettings(false));
        QDesktopServices::setUrlHandler("https", &m_browser, "open");

        m_main = MainWindowStart::Start(this);
        QVERIFY(m_main);
        m_wnd = MainWindowStart::Window(m_main);
        emit CQmlHelper::instance()->sigShowMainWnd();
        QVERIFY(Activate(m_wnd));
    }

    void cleanup()
    {
        if (Find(m_wnd, "settings_wnd"))
            QMetaObject::invokeMethod(obj("settings_wnd"), "close");
        QTRY_VERIFY(!Find(m_wnd, "settings_wnd"));
        const QStringList warnings = QtWarningLog::instance()->take();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void theGeneralPageWritesItsKeys()
    {
        if (m_chinese)
            QSKIP("the Chinese run takes screenshots only");
        QVERIFY(!QFile::exists(autostartFile()));
        openSettings();
        QVERIFY(prop("autoupdate", "checked").toBool() == false);
        QVERIFY(!prop("startup", "checked").toBool());
        QVERIFY(prop("tray", "checked").toBool());
        click("autoupdate");
        click("startup");
        click("tray");
        QVERIFY(prop("startup", "checked").toBool());
        closeWith("settings_ok");
        QCOMPARE(text("app_autoupdate"), QString("true"));
        QCOMPARE(text("app_autorun"), QString("true"));
        QCOMPARE(text("app_show_tray"), QString("false"));
        QCOMPARE(text("app_theme_color"), QString(m_variant == "light" ? "true" : "false"));
        QCOMPARE(text("app_i18n"), QString("en"));
        QVERIFY(QFile::exists(autostartFile()));

        // The stored values come back, and switching start-up off removes the entry.
        openSettings();
        QVERIFY(prop("autoupdate", "checked").toBool());
        QVERIFY(prop("startup", "checked").toBool());
        QVERIFY(!prop("tray", "checked").toBool());
        click("startup");
        click("tray");
        closeWith("settings_ok");
        QCOMPARE(text("app_autorun"), QString("false"));
        QCOMPARE(text("app_show_tray"), QString("true"));
        QVERIFY(!QFile::exists(autostartFile()));
    }

    void theClipboardPageWritesItsKeys()
    {
        if (m_chinese)
            QSKIP("the Chinese run takes screenshots only");
        QSignalSpy hot_keys(CQmlHelper::instance(), &CQmlHelper::sigSetGlobalShortcutEnable);
        QSignalSpy max_count(CQmlHelper::instance(), &CQmlHelper::sigUpdateModelMaxCount);
        QSignalSpy height(ini(), &CSettingsHelper::sigQuickpasteItemHeightChanged);
        openSettings();
        showTab(1);
        // Recording hot keys: the global ones are off meanwhile.
        QCOMPARE(hot_keys.count(), 1);
        QCOMPARE(hot_keys.first().at(0).toBool(), false);

        // The default is no height of the chooser: the one the lists use for it shows.
        QVERIFY(prop("height_normal", "checked").toBool());
        // The chosen count shows without holding the handle.
        QCOMPARE(prop("max_count_value", "text").toString(), QString("50"));
        obj("max_count")->setProperty("value", 120);
        QCOMPARE(prop("max_count_value", "text").toString(), QString("120"));
        click("key_quick_pin");
        Key({"ctrl+shift+p"});
        QTRY_COMPARE(prop("key_quick_pin", "text").toString(), QString("Ctrl+Shift+P"));
        click("height_large");
        QTRY_COMPARE(height.count(), 1); // the quick paste lists follow at once
        QCOMPARE(height.last().at(0).toInt(), 120);
        scrollTo("wnd_stack", "qp_hide");
        choose("qp_hide", 1);

        closeWith("settings_ok");
        QCOMPARE(ini()->getIni("stack_max_item_count").toInt(), 120);
        QCOMPARE(max_count.count(), 1);
        QCOMPARE(max_count.first().at(0).toInt(), 120);
        QCOMPARE(text("key_show_quick_paste_pin"), QString("Ctrl+Shift+P"));
        QCOMPARE(text("key_show_clipboard"), QString("Ctrl+Alt+C"));
        QCOMPARE(text("key_show_quick_paste"), QString("Ctrl+Alt+V"));
        QCOMPARE(ini()->getIni("stack_quickview_item_height").toInt(), 120);
        QCOMPARE(ini()->getIni("stack_qp_hide").toInt(), 1);
        // Closing brings the hot keys back and settles the row height on the stored one.
        QCOMPARE(hot_keys.last().at(0).toBool(), true);
        QCOMPARE(height.last().at(0).toInt(), 120);

        // Leaving the Clipboard tab also switches the hot keys on again.
        openSettings();
        QVERIFY(prop("height_large", "checked").toBool());
        showTab(1);
        showTab(0);
        QCOMPARE(hot_keys.last().at(0).toBool(), true);
    }

    // An OK that changed only a hot key keeps the stored row height, the default too.
    void okKeepsAnUntouchedRowHeight()
    {
        if (m_chinese)
            QSKIP("the Chinese run takes screenshots only");
        const QVariant before = ini()->getIni("stack_quickview_item_height");
        ini()->setIni(ini()->stack_quickview_item_height(), 3);
        openSettings();
        showTab(1);
        QVERIFY(prop("height_normal", "checked").toBool());
        click("key_quick_pin");
        Key({"ctrl+shift+y"});
        QTRY_COMPARE(prop("key_quick_pin", "text").toString(), QString("Ctrl+Shift+Y"));
        closeWith("settings_ok");
        QCOMPARE(ini()->getIni("stack_quickview_item_height").toInt(), 3);
        ini()->setIni(ini()->stack_quickview_item_height(), before);
    }

    // Every control of the Clipboard page is reached by the wheel, the scroll bar and
    // the keyboard in the dialog of the smallest window; Tab leaves a hot-key field.
    void theClipboardPageScrollsToItsEnd()
    {
        openSettings();
        showTab(1);
        QVERIFY2(belowView("wnd_stack", "keyboard_btn") > 0, "the page fits: nothing to test");
        scrollTo("wnd_stack", "keyboard_btn");
        saveShot("settings-clipboard-end");
        wheel("wnd_stack", false, 20);
        QTRY_COMPARE(pageScroll("wnd_stack"), 0.0);

        // The scroll bar's handle, dragged down with the mouse.
        auto *view = qobject_cast<QQuickItem *>(obj("wnd_stack"));
        QQuickItem *bar = nullptr;
        for (QQuickItem *child : view->childItems())
            bar = child->inherits("QQuickScrollBar") && child->height() > child->width() ? child
                                                                                         : bar;
        QVERIFY(bar);
        const QPoint grip = OnScreen(bar, QPointF(bar->width() / 2, 10));
        Run("xdotool",
            {"mousemove", QString::number(grip.x()), QString::number(grip.y()), "mousedown", "1"});
        for (int dy = 20; dy <= int(bar->height()); dy += 20)
            Run("xdotool",
                {"mousemove", QString::number(grip.x()), QString::number(grip.y() + dy)});
        Run("xdotool", {"mouseup", "1"});
        QTRY_VERIFY(belowView("wnd_stack", "keyboard_btn") <= 0);
        wheel("wnd_stack", false, 20);
        QTRY_COMPARE(pageScroll("wnd_stack"), 0.0);

        // Tab walks on from a hot-key field, recording nothing, and shows each control.
        click("key_quick_pin");
        const QString recorded = prop("key_quick_pin", "text").toString();
        for (int i = 0; i < 12 && !prop("keyboard_btn", "activeFocus").toBool(); ++i)
            Key({"Tab"});
        QTRY_VERIFY(prop("keyboard_btn", "activeFocus").toBool());
        QCOMPARE(prop("key_quick_pin", "text").toString(), recorded);
        QTRY_VERIFY(belowView("wnd_stack", "keyboard_btn") <= 0);
        closeWith("settings_cancel");
    }

    void cancelWritesNothing()
    {
        if (m_chinese)
            QSKIP("the Chinese run takes screenshots only");
        const QByteArray before = storedBytes();
        QSignalSpy height(ini(), &CSettingsHelper::sigQuickpasteItemHeightChanged);
        openSettings();
        click(m_variant == "light" ? "theme_dark" : "theme_light");
        click("autoupdate");
        click("startup");
        showTab(1);
        obj("max_count")->setProperty("value", 40);
        click("key_clip");
        Key({"ctrl+alt+j"});
        click("height_normal");
        closeWith("settings_cancel");
        QCOMPARE(storedBytes(), before);
        QVERIFY(!QFile::exists(autostartFile()));
        // The height tried out is taken back.
        QCOMPARE(height.last().at(0).toInt(), ini()->getIni("stack_quickview_item_height").toInt());
    }

    void themeAndLanguageAskForARestart()
    {
        if (m_chinese)
            QSKIP("the Chinese run takes screenshots only");
        openSettings();
        QCOMPARE(prop("settings_ok", "text").toString(), QString("OK"));
        const char *other_theme = m_variant == "light" ? "theme_dark" : "theme_light";
        const char *own_theme = m_variant == "light" ? "theme_light" : "theme_dark";
        click(other_theme);
        QTRY_COMPARE(prop("settings_ok", "text").toString(), QString("Restart"));
        click(own_theme); // back to the running theme: no restart
        QTRY_COMPARE(prop("settings_ok", "text").toString(), QString("OK"));

        // The language chooser: Chinese needs a restart, English (as stored) does not.
        choose("i18n", 1);
        QTRY_COMPARE(prop("settings_ok", "text").toString(), QString("Restart"));
        choose("i18n", 0);
        QTRY_COMPARE(prop("settings_ok", "text").toString(), QString("OK"));
        click(other_theme);
        QTRY_COMPARE(prop("settings_ok", "text").toString(), QString("Restart"));

        // Restart stores the choice, then asks the program to restart itself through the
        // helper program once the event loop has ended.
        QSignalSpy restart(CQmlHelper::instance(), &CQmlHelper::sigRestart);
        closeWith("settings_ok");
        QCOMPARE(restart.count(), 1);
        QTRY_VERIFY(qApp->property("_internal_is_app_restart_needed_").toBool());
        QCOMPARE(text("app_theme_color"), QString(m_variant == "light" ? "false" : "true"));
        // The quit the controller queued ends an event loop of our own; then the test goes on.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
        qApp->setProperty("_internal_is_app_restart_needed_", false);
        ini()->setIni(ini()->app_theme_color(), m_variant == "light");
    }

    // Reset asks once more in place; confirmed, it clears the store and restarts.
    void resetAsksThenClearsEverything()
    {
        if (m_chinese)
            QSKIP("the Chinese run takes screenshots only");
        ini()->setIni(ini()->stack_max_item_count(), 70);
        openSettings();
        click("reset");
        QTRY_VERIFY(prop("reset_no", "visible").toBool());
        QTRY_VERIFY(!prop("reset", "visible").toBool());
        click("reset_no");
        QTRY_VERIFY(prop("reset", "visible").toBool());
        QTRY_VERIFY(!prop("reset_yes", "visible").toBool());
        QCOMPARE(ini()->getIni("stack_max_item_count").toInt(), 70);

        click("reset");
        QTRY_VERIFY(prop("reset_yes", "visible").toBool());
        click("reset_yes");
        QTRY_VERIFY(qApp->property("_internal_is_app_restart_needed_").toBool());
        ini()->sync();
        const QStringList left = QSettings(ini()->fileName(), QSettings::IniFormat).allKeys();
        QCOMPARE(left, QStringList({"app_version"}));
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
        qApp->setProperty("_internal_is_app_restart_needed_", false);
        // Back to the state of the earlier cases.
        ini()->setIni(ini()->app_theme_color(), m_variant == "light");
        ini()->setIni(ini()->app_autoupdate(), false);
        QMetaObject::invokeMethod(obj("settings_wnd"), "close");
    }

    // A hot key recorded in the dialog takes effect as soon as the dialog closes.
    void aHotKeyChangedInTheDialogWorksAtOnce()
    {
        if (m_chinese)
            QSKIP("the Chinese run takes screenshots only");
        // Whatever happens, the later cases find the usual key and a shown window.
        const auto restore = qScopeGuard([this] {
            ini()->setIni(ini()->key_show_clipboard(), "Ctrl+Alt+C");
            emit CQmlHelper::instance()->sigSetGlobalShortcutEnable(true);
            if (!m_wnd->isVisible())
                emit CQmlHelper::instance()->sigShowMainWnd();
            Activate(m_wnd);
        });
        openSettings();
        showTab(1);
        click("key_clip");
        Key({"BackSpace", "ctrl+alt+k"});
        QTRY_COMPARE(prop("key_clip", "text").toString(), QString("Ctrl+Alt+K"));
        closeWith("settings_ok");
        QCOMPARE(text("key_show_clipboard"), QString("Ctrl+Alt+K"));

        Key({"Escape"}); // the window hides; the focus goes elsewhere
        QTRY_VERIFY(!m_wnd->isVisible());
        Key({"ctrl+alt+k"});
        QTRY_VERIFY_WITH_TIMEOUT(m_wnd->isVisible(), 10000);
        // The old combination is free again.
        QVERIFY(Activate(m_wnd));
        Key({"Escape"});
        QTRY_VERIFY(!m_wnd->isVisible());
        Key({"ctrl+alt+c"});
        QTest::qWait(1000);
        QVERIFY(!m_wnd->isVisible());
    }

    void aDuplicateHotKeyIsCleared()
    {
        if (m_chinese)
            QSKIP("the Chinese run takes screenshots only");
        openSettings();
        showTab(1);
        click("key_quick");
        Key({"ctrl+alt+c"}); // the main window's hot key already
        QTRY_COMPARE(prop("key_quick", "text").toString(), QString());
        QCOMPARE(prop("key_quick", "tooltip_str").toString(), QString("Duplicate shortcut."));
        // The third field, empty until now, may not take it either.
        click("key_quick_pin");
        Key({"ctrl+alt+c"});
        QTRY_COMPARE(prop("key_quick_pin", "text").toString(), QString());
        click("key_quick_pin");
        Key({"ctrl+alt+m"});
        QTRY_COMPARE(prop("key_quick_pin", "text").toString(), QString("Ctrl+Alt+M"));
        QCOMPARE(prop("key_quick_pin", "tooltip_str").toString(), QString());
        closeWith("settings_cancel");
    }

    // In Chinese the window, its menu and the first-run text show the catalogue's texts.
    void theMainWindowSpeaksChinese()
    {
        if (!m_chinese)
            QSKIP("the Chinese run only");
        QVERIFY(Activate(m_wnd));
        QCOMPARE(prop("filter_main", "placeholderText").toString(), QString::fromUtf8("查找"));
        ini()->setIni(ini()->app_version(), QVariant());
        m_main->CheckAppVersion();
        QTRY_VERIFY(ForeignClipboard("text/html")
                        .startsWith(QString::fromUtf8(
                            "<h1>帮助：</h1><h3>剪贴板视图</h3><p>主窗口可通过快捷键 Ctrl+Alt+C "
                            "激活。</p>")));
        saveShot("main-usage");
        const QPoint menu = OnScreen(m_wnd, QPoint(m_wnd->width() - 78, 26));
        Run("xdotool",
            {"mousemove", QString::number(menu.x()), QString::number(menu.y()), "click", "1"});
        saveShot("main-menu");
        Key({"Escape"});
        QTRY_VERIFY(!Find(m_wnd, "title_menu"));

        // The info box's four lines all show in the taller Chinese font.
        Key({"ctrl+i"});
        QTRY_VERIFY(Find(m_wnd, "msg_flick"));
        QTRY_VERIFY(prop("msg_box", "opened").toBool());
        QVERIFY(prop("msg_flick", "contentHeight").toReal() <=
                prop("msg_flick", "height").toReal() + 0.5);
        saveShot("main-info");
        Key({"Escape"});
        QTRY_VERIFY(!Find(m_wnd, "msg_box"));
    }

    void theKeyMapListsAndCopiesTheKeys()
    {
        openSettings();
        showTab(1);
        scrollTo("wnd_stack", "keyboard_btn");
        click("keyboard_btn");
        QTRY_VERIFY(prop("keymap_dlg", "opened").toBool());
        saveShot("settings-keymap");
        click("keymap_copy");
        const QString html = ForeignClipboard("text/html");
        const QString switch_view = m_chinese ? QString::fromUtf8("切换视图：") : "Switch view:";
        QVERIFY2(html.startsWith("<ul><li> " + switch_view + " Left/Right, A/D</li><br/>"),
                 qPrintable(html));
        QVERIFY2(html.contains(" Ctrl+I</li><br/></ul><br/>"), qPrintable(html));
        QCOMPARE(html.count("<li>"), 11);
        Key({"Escape"});
        QTRY_VERIFY(!Find(m_wnd, "keymap_dlg"));
    }

    void screenshotsOfTheSettingsPages()
    {
        openSettings();
        if (m_chinese) {
            // The tabled texts of the catalogue, on the buttons they belong to.
            QCOMPARE(prop("settings_ok", "text").toString(), QString::fromUtf8("确定"));
            QCOMPARE(prop("settings_cancel", "text").toString(), QString::fromUtf8("取消"));
            QCOMPARE(prop("tab_general", "text").toString(), QString::fromUtf8("常规"));
        }
        saveShot("settings-general");
        QCOMPARE(textsCutOff("settings_wnd"), QStringList());
        showTab(1);
        saveShot("settings-clipboard");
        QCOMPARE(textsCutOff("settings_wnd"), QStringList());
    }

    void theAboutDialogShowsNameAndVersion()
    {
        QVERIFY(Activate(m_wnd));
        QVERIFY(QMetaObject::invokeMethod(obj("dialogs"), "about"));
        QTRY_VERIFY(prop("about_dlg", "opened").toBool());
        saveShot("about");
        Key({"Escape"});
        QTRY_VERIFY(!Find(m_wnd, "about_dlg"));
    }

    // A newer version in a feed of the test's own: the dialog shows its notes (without
    // fetching their picture) and Download opens the link.
    void aFoundVersionIsAnnouncedAndOffered()
    {
        LocalHttpServer server;
        QVERIFY(server.start());
        server.serve("/updates.xml",
                     QString("<rss><channel><item><enclosure url=\"https://downloads.example.org/"
                             "tolvane-1.6.0.deb\" sparkle:version=\"1.6.0\"/>"
                             "<sparkle:releaseNotesLink>%1</sparkle:releaseNotesLink>"
                             "</item></channel></rss>")
                         .arg(server.url("/notes.html"))
                         .toUtf8(),
                     200, LocalHttpServer::Mode::Late);
        server.serve("/notes.html",
                     QString("<h3>Tolvane 1.6</h3><ul><li>Faster search in long histories</li>"
                             "<li>Drag items into any application</li></ul>"
                             "<p><img src=\"%1\"/>Thanks for testing.</p>")
                         .arg(server.url("/pic.png"))
                         .toUtf8());
        m_main->updater()->setFeedUrl(QUrl(server.url("/updates.xml")));

        openSettings();
        // While the check waits for the (late) feed the button turns and takes no clicks. The
        // check waits in an event loop of its own, so the button is looked at from there.
        QString state_while_checking;
        bool enabled_while_checking = true;
        const auto probe =
            connect(m_main->updater(), &CUpdaterHelper::is_updatingChanged, this, [&] {
                if (!m_main->updater()->isUpdating())
                    return;
                QTimer::singleShot(300, this, [&] {
                    state_while_checking = prop("check_updates", "state").toString();
                    enabled_while_checking = prop("check_updates", "enabled").toBool();
                });
            });
        click("check_updates");
        QTRY_VERIFY_WITH_TIMEOUT(prop("update_dlg", "opened").toBool(), 20000);
        disconnect(probe);
        QCOMPARE(state_while_checking, QString("rolling"));
        QVERIFY(!enabled_while_checking);
        QVERIFY(prop("update_dlg", "title").toString().contains("1.6.0"));
        // The check has ended: the button turns back and works again.
        QTRY_VERIFY(prop("check_updates", "enabled").toBool());
        saveShot("update-found");
        QCOMPARE(server.requests(), QStringList({"/updates.xml", "/notes.html"}));
        click("update_download");
        QTRY_VERIFY(!Find(m_wnd, "update_dlg"));
        QCOMPARE(m_browser.opened,
                 QList<QUrl>({QUrl("https://downloads.example.org/tolvane-1.6.0.deb")}));
        // Cancel closes without opening anything.
        click("check_updates");
        QTRY_VERIFY(prop("update_dlg", "opened").toBool());
        click("update_cancel");
        QTRY_VERIFY(!Find(m_wnd, "update_dlg"));
        QCOMPARE(m_browser.opened.size(), 1);
        QVERIFY(!server.requests().contains("/pic.png"));
    }

    void aCheckWithoutNewsEndsInAToast()
    {
        if (m_chinese)
            QSKIP("the Chinese run takes screenshots only");
        // The main window answers the outcomes of a check.
        QSignalSpy toasts(CQmlHelper::instance(), &CQmlHelper::sigShowToast4Main);
        emit m_main->updater()->sigNoUpdates();
        QTRY_COMPARE(toasts.count(), 1);
        QCOMPARE(toasts.first().at(0).toString(), QString("Latest version is installed"));
        emit m_main->updater()->sigCheckFailed();
        QTRY_COMPARE(toasts.count(), 2);
        QCOMPARE(toasts.last().at(0).toString(), QString("Check updates failed"));
    }

    void cleanupTestCase()
    {
        delete m_main;
        m_main = nullptr;
    }
};

TOLVANE_UI_TEST_MAIN(TestSettingsWindow)

#include "tst_settings_window.moc"
