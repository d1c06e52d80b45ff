// The main window as a user meets it: the real controller and window under a window
// manager, driven only by real key presses; results read from the models, from the
// clipboard as another program sees it, and from the window's objects.
#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "cmain.h"
#include "isolated_env.h"
#include "item/mime_convert.h"
#include "settings/settings_helper.h"
#include "test_items.h"
#include "ui_driver.h"
#include "ui_test_main.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QQmlError>
#include <QQuickItem>
#include <QQuickWindow>

using namespace UiDriver;

namespace {
const QStringList kRows = {"alpha one", "bravo two", "charlie three", "delta four", "echo five"};
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private:
    CClipboardManager *mgr() { return CClipboardManager::instance(); }
    CCilpboardListModel *cb() { return mgr()->clipboardModel(); }
    CCilpboardListModel *pin() { return mgr()->pinModel(); }
    template <typename T = QObject> T *obj(const char *name)
    {
        T *o = qobject_cast<T *>(Find(m_wnd, name));
        if (!o)
            qWarning() << "no object" << name;
        return o;
    }
    QVariant prop(const char *name, const char *property) { return obj(name)->property(property); }
    int mainIndex() { return prop("main_list", "currentIndex").toInt(); }
    bool pinViewShown() { return prop("pin_list", "visible").toBool(); }
    bool stackBusy() { return prop("lsv", "busy").toBool(); }
    // Rows the list shows at full height: filtered rows shrink to nothing.
    int shownRows(const char *list)
    {
        QObject *view = obj(list);
        const qreal full = view->property("item_height").toReal();
        int shown = 0;
        for (int r = 0; r < cb()->rowCount(); ++r) {
            QQuickItem *row = nullptr;
            QMetaObject::invokeMethod(view, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, row),
                                      Q_ARG(int, r));
            shown += row && qFuzzyCompare(row->height(), full) ? 1 : 0;
        }
        return shown;
    }

    void fill(const QStringList &rows) { FillTextRows(*cb(), rows); }
    void showWindow()
    {
        if (!m_wnd->isVisible())
            emit CQmlHelper::instance()->sigShowMainWnd();
        QVERIFY(Activate(m_wnd));
        QTRY_VERIFY(!stackBusy());
    }
    void saveShot(const QString &name)
    {
        QTest::qWait(600); // animations and asynchronous images settle
        QDir().mkpath(TOLVANE_ARTIFACTS_DIR);
        const QString path = QString(TOLVANE_ARTIFACTS_DIR) + "/" + name + "-" + m_theme + ".png";
        const QImage shot = m_wnd->grabWindow();
        QVERIFY(!shot.isNull());
        QVERIFY2(shot.save(path), qPrintable(path));
    }

    // Puts the mouse pointer over a row of the current list, through the X server.
    void hoverRow(int row)
    {
        const QPoint at = m_wnd->mapToGlobal(QPoint(200, 52 + 48 * row + 24));
        Run("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y())});
    }

    CMain *m_main = nullptr;
    QQuickWindow *m_wnd = nullptr;
    QString m_theme;
    QStringList m_qmlWarnings;

private slots:
    void initTestCase()
    {
        m_theme = qEnvironmentVariable("TOLVANE_UI_THEME") == "dark" ? "dark" : "light";
        CSettingsHelper *ini = CSettingsHelper::instance();
        // Not a first run: the usage text would take the clipboard.
        ini->setIni(ini->app_version(), "1.5.0");
        ini->setIni(ini->app_theme_color(), m_theme == "light");
        ini->setIni(ini->app_show_tray(), true);
        m_main = new CMain(this);
        connect(m_main->engine(), &QQmlEngine::warnings, this,
                [this](const QList<QQmlError> &warnings) {
                    for (const QQmlError &w : warnings)
                        m_qmlWarnings << w.toString();
                });
        QVERIFY(m_main->initialise());
        m_wnd = qobject_cast<QQuickWindow *>(m_main->engine()->rootObjects().first());
        QVERIFY(m_wnd);
        QVERIFY(!m_wnd->isVisible());
    }

    void init()
    {
        // A known state: the window shown in the Clipboard view, five text rows, row 0
        // current and on the clipboard, nothing pinned, no search.
        if (m_wnd->isVisible()) {
            QMetaObject::invokeMethod(obj("filter_box"), "clearFilter");
            QMetaObject::invokeMethod(m_wnd, "switchView2Local", Q_ARG(QVariant, false),
                                      Q_ARG(QVariant, true));
            QTRY_VERIFY(!stackBusy());
        }
        // The pointer rests outside the window until a case moves it.
        Run("xdotool", {"mousemove", "1270", "790"});
        cb()->clearRows();
        pin()->clearRows();
        pin()->renumberFavourites();
        fill(kRows);
        mgr()->syncModel2Clipboard();
        showWindow();
        obj("main_list")->setProperty("currentIndex", 0);
        QTRY_COMPARE(ForeignClipboard(), kRows.at(0));
    }

    // Whatever a case did, the interface reported no QML error.
    void cleanup()
    {
        const QStringList warnings = m_qmlWarnings;
        m_qmlWarnings.clear();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void upAndDownMoveTheSelection()
    {
        Key({"Down", "Down"});
        QCOMPARE(mainIndex(), 2);
        Key({"Up"});
        QCOMPARE(mainIndex(), 1);
        // W and S do the same; the ends of the list stop the selection.
        Key({"s", "s", "s", "s", "s"});
        QCOMPARE(mainIndex(), 4);
        Key({"w", "w", "w", "w", "w", "w"});
        QCOMPARE(mainIndex(), 0);
    }

    void rightAndLeftSwitchBetweenClipboardAndPin()
    {
        Key({"Left"}); // nothing left of the Clipboard view
        QTRY_VERIFY(!stackBusy());
        QVERIFY(!pinViewShown());

        Key({"Right"});
        QTRY_VERIFY(pinViewShown());
        QTRY_VERIFY(!stackBusy());
        QVERIFY(prop("pin_view_btn", "checked").toBool());
        QVERIFY(prop("filter_pin", "visible").toBool());
        QVERIFY(!prop("filter_main", "visible").toBool());
        Key({"Right"}); // no linked host to go to
        QTRY_VERIFY(!stackBusy());
        QVERIFY(pinViewShown());

        Key({"Left"});
        QTRY_VERIFY(!pinViewShown());
        QTRY_VERIFY(!stackBusy());
        QVERIFY(prop("filter_main", "visible").toBool());

        Key({"d"});
        QTRY_VERIFY(pinViewShown());
        QTRY_VERIFY(!stackBusy());
        Key({"a"});
        QTRY_VERIFY(!pinViewShown());
    }

    void typingFiltersAndHidingClearsTheSearch()
    {
        Key({"ctrl+f"});
        Type("o");
        // Only rows with an "o" stay: alpha one, bravo two, delta four, echo five.
        QTRY_COMPARE(prop("filter_main", "text").toString(), QString("o"));
        Type("n");
        QTRY_COMPARE(prop("filter_main", "text").toString(), QString("on"));
        QVERIFY(cb()->isVisible(0));
        for (int r = 1; r < kRows.size(); ++r)
            QVERIFY2(!cb()->isVisible(r), qPrintable(kRows.at(r)));
        QCOMPARE(cb()->rowCount(), kRows.size()); // hidden, not removed
        QTRY_COMPARE(shownRows("main_list"), 1);
        // The arrow keys still walk the list from the search field, over visible rows.
        Key({"Down"});
        QCOMPARE(mainIndex(), 0);

        Key({"Escape"});
        QTRY_VERIFY(!m_wnd->isVisible());
        QCOMPARE(prop("filter_main", "text").toString(), QString());
        for (int r = 0; r < kRows.size(); ++r)
            QVERIFY(cb()->isVisible(r));

        // Shown again, the list is whole, and its first row is selected for the keyboard.
        showWindow();
        QTRY_COMPARE(shownRows("main_list"), kRows.size());
        QVERIFY(!pinViewShown());
        QTRY_COMPARE(mainIndex(), 0);
    }

    void deletingTheTopRowMovesTheClipboardOn()
    {
        Key({"ctrl+d"});
        QCOMPARE(cb()->rowCount(), kRows.size() - 1);
        QCOMPARE(cb()->getPlain(0), kRows.at(1));
        QTRY_COMPARE(ForeignClipboard(), kRows.at(1));

        // A lower row goes without touching the clipboard.
        obj("main_list")->setProperty("currentIndex", 2);
        Key({"ctrl+d"});
        QCOMPARE(cb()->rowCount(), kRows.size() - 2);
        QCOMPARE(cb()->indexOfMD5(TextItem(kRows.at(3)).md5), -1);
        QTest::qWait(300);
        QCOMPARE(ForeignClipboard(), kRows.at(1));
    }

    void spaceActivatesALowerRow()
    {
        Key({"Down", "Down", "space"});
        QTRY_COMPARE(cb()->getPlain(0), kRows.at(2));
        QCOMPARE(cb()->rowCount(), kRows.size());
        QTRY_COMPARE(ForeignClipboard(), kRows.at(2));
        QTRY_COMPARE(mainIndex(), 0);
    }

    void clickingARowsCopyButtonActivatesIt()
    {
        hoverRow(3);
        QTest::qWait(100); // the buttons appear with the hover
        const QPoint copy = m_wnd->mapToGlobal(QPoint(350 - 36 - 18, 52 + 48 * 3 + 24));
        Run("xdotool",
            {"mousemove", QString::number(copy.x()), QString::number(copy.y()), "click", "1"});
        QTRY_COMPARE(cb()->getPlain(0), kRows.at(3));
        QTRY_COMPARE(ForeignClipboard(), kRows.at(3));
    }

    void spaceInThePinViewBringsTheItemBack()
    {
        mgr()->pinItem(3);
        Key({"Right"});
        QTRY_VERIFY(pinViewShown());
        QTRY_VERIFY(!stackBusy());
        obj("pin_list")->setProperty("currentIndex", 0);
        Key({"space"});
        // Back in the Clipboard view, with the item on top, current and on the clipboard.
        QTRY_VERIFY(!pinViewShown());
        QTRY_COMPARE(cb()->getPlain(0), kRows.at(3));
        QCOMPARE(cb()->rowCount(), kRows.size());
        QTRY_COMPARE(ForeignClipboard(), kRows.at(3));
        QTRY_COMPARE(mainIndex(), 0);
    }

    void closingFromTheWindowManagerHides()
    {
        Key({"alt+F4"}); // openbox's binding: a close request to the active window
        QTRY_VERIFY(!m_wnd->isVisible());
        emit CQmlHelper::instance()->sigShowMainWnd();
        QTRY_VERIFY(m_wnd->isVisible());
    }

    void enterPinsTheCurrentRow()
    {
        Key({"Down", "Return"});
        QCOMPARE(pin()->rowCount(), 1);
        QCOMPARE(pin()->getPlain(0), kRows.at(1));
        QVERIFY(cb()->isPinned(1));
        // Pinning is a Clipboard-view action: Return in the Pin view does nothing.
        Key({"Right"});
        QTRY_VERIFY(pinViewShown());
        Key({"Return"});
        QCOMPARE(pin()->rowCount(), 1);
    }

    void infoBoxCountsTheKinds()
    {
        QClipboard *clipboard = QGuiApplication::clipboard();
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        clipboard->setImage(image);
        QTRY_COMPARE(cb()->getType(0), int(CQmlTypes::Image));
        clipboard->setText("#3366cc");
        QTRY_COMPARE(cb()->getType(0), int(CQmlTypes::Color));
        QCOMPARE(cb()->rowCount(), kRows.size() + 2);

        Key({"ctrl+i"});
        QTRY_VERIFY(Find(m_wnd, "msg_box"));
        QTRY_VERIFY(prop("msg_box", "visible").toBool());
        const QStringList lines = prop("msg_box", "info").toString().split('\n');
        QCOMPARE(lines, QStringList({"Count: 7", "Text: 5", "Image: 1", "Others: 1"}));
        Key({"Escape"});
        QTRY_VERIFY(!Find(m_wnd, "msg_box"));
        QVERIFY(m_wnd->isVisible()); // Escape closed the box, not the window
    }

    void deleteAllAsksFirst()
    {
        Key({"ctrl+shift+d"});
        QTRY_VERIFY(Find(m_wnd, "confirm_dlg"));
        QTRY_VERIFY(prop("confirm_dlg", "opened").toBool());
        QCOMPARE(prop("confirm_dlg", "msg").toString(), QString("You're deleting all items."));
        Key({"Escape"});
        QTRY_VERIFY(!Find(m_wnd, "confirm_dlg"));
        QCOMPARE(cb()->rowCount(), kRows.size());
        QTRY_VERIFY(prop("main_list", "activeFocus").toBool()); // the keyboard is back

        Key({"ctrl+shift+d"});
        QTRY_VERIFY(Find(m_wnd, "confirm_dlg"));
        QTRY_VERIFY(prop("confirm_dlg", "opened").toBool());
        Key({"Return"});
        QTRY_COMPARE(cb()->rowCount(), 0);
        QTRY_VERIFY(!Find(m_wnd, "confirm_dlg"));

        // Nothing left to delete: a toast says so, and no question is asked.
        Key({"ctrl+shift+d"});
        QTRY_VERIFY(Find(m_wnd, "toast_manager"));
        QCOMPARE(prop("toast_manager", "count").toInt(), 1);
        QVERIFY(!Find(m_wnd, "confirm_dlg"));
    }

    void deletingAFavouriteAsksFirst()
    {
        mgr()->pinItem(3);
        mgr()->pinItem(4);
        mgr()->setIndexFavor(pin()->indexOfMD5(TextItem(kRows.at(4)).md5)); // favourite 1
        QCOMPARE(pin()->getFav(0), 1);
        Key({"Right"});
        QTRY_VERIFY(pinViewShown());
        QTRY_VERIFY(!stackBusy());
        obj("pin_list")->setProperty("currentIndex", 0);

        Key({"ctrl+d"});
        QTRY_VERIFY(Find(m_wnd, "confirm_dlg"));
        QTRY_VERIFY(prop("confirm_dlg", "opened").toBool());
        QCOMPARE(pin()->rowCount(), 2);
        Key({"Return"});
        QTRY_COMPARE(pin()->rowCount(), 1);
        QVERIFY(!cb()->isPinned(4));

        // An ordinary pin goes at once.
        obj("pin_list")->setProperty("currentIndex", 0);
        Key({"ctrl+d"});
        QTRY_COMPARE(pin()->rowCount(), 0);
        QVERIFY(!cb()->isPinned(3));
        QVERIFY(!Find(m_wnd, "confirm_dlg"));
    }

    void screenshots()
    {
        // Toasts of earlier cases have faded.
        QTRY_VERIFY_WITH_TIMEOUT(!Find(m_wnd, "toast_manager"), 6000);
        mgr()->pinItem(1);
        mgr()->pinItem(2);
        mgr()->pinItem(4);
        mgr()->setIndexFavor(pin()->indexOfMD5(TextItem(kRows.at(2)).md5));
        mgr()->setIndexFavor(pin()->indexOfMD5(TextItem(kRows.at(4)).md5));
        obj("main_list")->setProperty("currentIndex", 1);
        hoverRow(3); // shows the row buttons
        saveShot("main-clipboard");

        Key({"Right"});
        QTRY_VERIFY(pinViewShown());
        QTRY_VERIFY(!stackBusy());
        obj("pin_list")->setProperty("currentIndex", 1);
        hoverRow(1); // the second favourite shows its number
        saveShot("main-pin-favourites");
        // The dashed line runs along the bottom of the last favourite, the second row.
        auto *separator = qobject_cast<QQuickItem *>(Find(m_wnd, "fav_separator"));
        QVERIFY(separator);
        QCOMPARE(separator->mapToItem(obj<QQuickItem>("pin_list"), QPointF()).y(), 2 * 48 - 1.0);

        Key({"ctrl+d"}); // a favourite: the window asks first
        QTRY_VERIFY(Find(m_wnd, "confirm_dlg"));
        QTRY_VERIFY(prop("confirm_dlg", "opened").toBool());
        saveShot("main-confirm");
        Key({"Escape"});
        QTRY_VERIFY(!Find(m_wnd, "confirm_dlg"));
        QCOMPARE(pin()->rowCount(), 3);

        // A rich text with a web address offers its buttons in the title bar.
        Key({"Left"});
        QTRY_VERIFY(!pinViewShown());
        CBData html;
        html.type = CQmlTypes::Html;
        html.val = QString("<p><b>https://tolvane.example.org/start</b></p>");
        html.plain = "https://tolvane.example.org/start";
        html.md5 = GetVariantMd5(html.val);
        cb()->prependItem(html);
        obj("main_list")->setProperty("currentIndex", 0);
        QTRY_VERIFY(obj<QQuickItem>("ctrl_btns")->implicitWidth() > 0);
        saveShot("main-item-buttons");
        // The title bar's menu, opened with the mouse.
        const QPoint menu = m_wnd->mapToGlobal(QPoint(m_wnd->width() - 78, 26));
        Run("xdotool",
            {"mousemove", QString::number(menu.x()), QString::number(menu.y()), "click", "1"});
        saveShot("main-menu");
        Key({"Escape"});
    }

    void cleanupTestCase()
    {
        delete m_main;
        m_main = nullptr;
    }
};

TOLVANE_UI_TEST_MAIN(TestMainWindow)

#include "tst_main_window.moc"
