// The main window with two linked hosts, driven by real key presses and clicks: the host
// bar, one list page and one search field per host, Left and Right along Clipboard, Pin,
// first host and second host, the host buttons, and a host that leaves while its list
// shows. The hosts are real connectors in this process, linked over loopback under two
// addresses so that the window tells them apart.
#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "cmain.h"
#include "main_window_start.h"
#include "qt_warning_log.h"
#include "settings/settings_helper.h"
#include "test_host.h"
#include "test_items.h"
#include "ui_driver.h"
#include "ui_test_main.h"

#include <QQmlProperty>
#include <QQuickItem>

using namespace UiDriver;

namespace {
const QString kFirstIp = QStringLiteral("127.0.0.1");
const QString kSecondIp = QStringLiteral("127.0.0.2");
constexpr int kListWidth = 350;
constexpr int kBarLine = 38;
} // namespace

class TestMainWindowHosts : public QObject
{
    Q_OBJECT
private:
    CConnector *connector() { return m_main->connector(); }
    QObject *obj(const char *name)
    {
        QObject *o = Find(m_wnd, name);
        if (!o)
            qWarning() << "no object" << name;
        return o;
    }
    QVariant prop(const char *name, const char *property) { return obj(name)->property(property); }
    bool busy() { return prop("lsv", "busy").toBool(); }

    // The address of the host whose list shows; empty for this computer's lists.
    QString shownIp()
    {
        QVariant model;
        QMetaObject::invokeMethod(obj("lists_container"), "getCurModel",
                                  Q_RETURN_ARG(QVariant, model));
        auto *m = qobject_cast<CCilpboardListModel *>(model.value<QObject *>());
        return !m || m->isLocal() ? QString() : m->getIp();
    }
    QObject *listShown()
    {
        QVariant list;
        QMetaObject::invokeMethod(obj("lists_container"), "getCurList",
                                  Q_RETURN_ARG(QVariant, list));
        return list.value<QObject *>();
    }
    bool pinShown() { return prop("pin_list", "visible").toBool() && shownIp().isEmpty(); }
    // The search field that shows: its placeholder names the list it searches.
    QString shownField()
    {
        QVariant field;
        QMetaObject::invokeMethod(obj("filter_box"), "visibleField", Q_RETURN_ARG(QVariant, field));
        QObject *f = field.value<QObject *>();
        return f ? f->property("placeholderText").toString() : QString();
    }
    QString searchText()
    {
        QVariant text;
        QMetaObject::invokeMethod(obj("filter_box"), "curText", Q_RETURN_ARG(QVariant, text));
        return text.toString();
    }
    bool checked(const char *host_button) { return prop(host_button, "checked").toBool(); }

    void link(TestHost &host, const QString &ip)
    {
        const int before = connector()->getHostsCount();
        connector()->connect2Server(ip, host.pwd, host.port);
        QTRY_VERIFY_WITH_TIMEOUT(
            connector()->getHostsCount() == before + 1 && connector()->isInit(before), 30000);
    }
    void clickAt(const QPoint &local)
    {
        const QPoint at = OnScreen(m_wnd, local);
        Run("xdotool",
            {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    }
    void hoverAt(const QPoint &local)
    {
        const QPoint at = OnScreen(m_wnd, local);
        Run("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y())});
    }
    // The centre of the host bar's buttons: this computer above, the hosts side by side.
    QPoint hostButton(int index)
    {
        const int bar_top = m_wnd->height() - 2 * kBarLine;
        if (index == 0)
            return QPoint(kListWidth / 2, bar_top + kBarLine / 2);
        return QPoint(index == 1 ? kListWidth / 4 : kListWidth * 3 / 4,
                      bar_top + kBarLine + kBarLine / 2);
    }
    // Right from the Clipboard view, one view at a time (keys that come while the lists
    // move are ignored): the Pin view, then the hosts up to the given one (1 or 2).
    void rightToHost(int host)
    {
        Key({"Right"});
        QTRY_VERIFY(pinShown());
        QTRY_VERIFY(!busy());
        for (int i = 0; i < host; ++i) {
            Key({"Right"});
            QTRY_COMPARE(shownIp(), i == 0 ? kFirstIp : kSecondIp);
        }
    }
    void toClipboardView()
    {
        QMetaObject::invokeMethod(obj("filter_box"), "clearFilter");
        QMetaObject::invokeMethod(m_wnd, "switchView2Local", Q_ARG(QVariant, false),
                                  Q_ARG(QVariant, true));
        QTRY_VERIFY(!busy());
    }

    CMain *m_main = nullptr;
    QQuickWindow *m_wnd = nullptr;
    QString m_theme;
    std::unique_ptr<TestHost> m_first;
    std::unique_ptr<TestHost> m_second;

private slots:
    void initTestCase()
    {
        m_theme = MainWindowStart::Theme();
        QVERIFY(MainWindowStart::PrepareSettings(true));
        m_main = MainWindowStart::Start(this);
        QVERIFY(m_main);
        m_wnd = MainWindowStart::Window(m_main);
        FillTextRows(*CClipboardManager::instance()->clipboardModel(),
                     {"local apple", "local pear"});
        emit CQmlHelper::instance()->sigShowMainWnd();
        QVERIFY(Activate(m_wnd));

        m_first = std::make_unique<TestHost>();
        FillTextRows(m_first->clip, {"first host lemon", "first host lime"});
        m_second = std::make_unique<TestHost>(QStringLiteral("second pass"));
        FillTextRows(m_second->clip, {"second host plum", "second host fig", "second host kiwi"});
        link(*m_first, kFirstIp);
        link(*m_second, kSecondIp);
        QTRY_COMPARE(prop("hosts_container", "height").toInt(), 2 * kBarLine);
        QTRY_COMPARE(prop("lists_container", "count").toInt(), 3);
    }

    void init()
    {
        toClipboardView();
        QVERIFY(Activate(m_wnd));
    }

    void cleanup()
    {
        const QStringList warnings = QtWarningLog::instance()->take();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void leftAndRightWalkAlongBothHosts()
    {
        QVERIFY(checked("host_local"));
        Key({"Right"});
        QTRY_VERIFY(pinShown());
        QTRY_VERIFY(!busy());
        Key({"Right"});
        QTRY_COMPARE(shownIp(), kFirstIp);
        QVERIFY(checked("host_btn_1"));
        QCOMPARE(shownField(), "Search " + kFirstIp);
        QTRY_VERIFY(!prop("pin_view_btn", "visible").toBool());
        Key({"Right"});
        QTRY_COMPARE(shownIp(), kSecondIp);
        QVERIFY(checked("host_btn_2"));
        QCOMPARE(shownField(), "Search " + kSecondIp);
        Key({"Right"}); // nothing right of the second host
        QTest::qWait(300);
        QCOMPARE(shownIp(), kSecondIp);

        Key({"Left"});
        QTRY_COMPARE(shownIp(), kFirstIp);
        QVERIFY(checked("host_btn_1"));
        Key({"Left"});
        QTRY_VERIFY(pinShown());
        QVERIFY(checked("host_local"));
        QCOMPARE(shownField(), QStringLiteral("Search pinned"));
        Key({"Left"});
        QTRY_VERIFY(!prop("pin_list", "visible").toBool());
        QVERIFY(shownIp().isEmpty());
        QVERIFY(prop("filter_main", "visible").toBool());
    }

    void eachHostKeepsItsOwnSearch()
    {
        rightToHost(2);
        Key({"ctrl+f"});
        Type(QStringLiteral("fig"));
        QTRY_VERIFY(!connector()->getModel(1)->isVisible(0));
        QVERIFY(connector()->getModel(1)->isVisible(1));
        QVERIFY(!connector()->getModel(1)->isVisible(2));
        // The list takes the keys: its one visible row becomes current, its text shows.
        Key({"Tab"});
        QTRY_COMPARE(obj("text_area") ? obj("text_area")->property("text").toString() : QString(),
                     QStringLiteral("second host fig"));
        // Left to the first host, whose field is empty and whose rows all show.
        Key({"Left"});
        QTRY_COMPARE(shownIp(), kFirstIp);
        QVERIFY(connector()->getModel(0)->isVisible(0));
        QVERIFY(connector()->getModel(0)->isVisible(1));
        QCOMPARE(searchText(), QString());
        Key({"Right"});
        QTRY_COMPARE(shownIp(), kSecondIp);
        QCOMPARE(searchText(), QStringLiteral("fig"));
    }

    void hostButtonsChooseTheList()
    {
        clickAt(hostButton(2));
        QTRY_COMPARE(shownIp(), kSecondIp);
        clickAt(hostButton(1));
        QTRY_COMPARE(shownIp(), kFirstIp);
        QVERIFY(checked("host_btn_1"));
        clickAt(hostButton(0));
        QTRY_VERIFY(shownIp().isEmpty());
        QVERIFY(!prop("pin_list", "visible").toBool());
        QVERIFY(prop("filter_main", "visible").toBool());
    }

    void remoteListsRefuseDeleting()
    {
        rightToHost(1);
        Key({"Tab"}); // the list takes the keys and its first row
        QTRY_COMPARE(QQmlProperty::read(listShown(), "currentIndex").toInt(), 0);
        const int rows = connector()->getModel(0)->rowCount();
        Key({"ctrl+d"});
        QTRY_VERIFY(Find(m_wnd, "toast_manager"));
        Key({"ctrl+shift+d"});
        QTRY_COMPARE(prop("toast_manager", "count").toInt(), 2);
        QVERIFY(!Find(m_wnd, "confirm_dlg"));
        QCOMPARE(connector()->getModel(0)->rowCount(), rows);
    }

    void screenshots()
    {
        // Toasts of earlier cases have faded.
        QTRY_VERIFY_WITH_TIMEOUT(!Find(m_wnd, "toast_manager"), 10000);
        rightToHost(2);
        QVERIFY(SaveShot(
            m_wnd, QString(TOLVANE_ARTIFACTS_DIR) + "/main-two-hosts-" + m_theme + ".png", 600));

        // A file of the host deep in folders: its path keeps its end behind an ellipsis,
        // and it can be downloaded at once, without a click into the path.
        const int rows = connector()->getModel(1)->rowCount();
        m_second->shareFile("projects/2026/quarterly-reports/finance-and-operations/drafts/"
                            "summary-final.pdf",
                            "%PDF-1.4\n");
        QTRY_COMPARE_WITH_TIMEOUT(connector()->getModel(1)->rowCount(), rows + 1, 10000);
        QQmlProperty::write(listShown(), "currentIndex", 0);
        QTRY_VERIFY(Find(m_wnd, "url_btn_0"));
        auto *button = qobject_cast<QQuickItem *>(obj("url_btn_0"));
        auto *path = qobject_cast<QQuickItem *>(obj("url_shown_0"));
        QVERIFY(button->isVisible());
        QVERIFY(path->isVisible() && path->property("truncated").toBool());
        QVERIFY(path->property("text").toString().endsWith("/drafts/summary-final.pdf"));
        QVERIFY(SaveShot(
            m_wnd, QString(TOLVANE_ARTIFACTS_DIR) + "/details-remote-file-" + m_theme + ".png",
            600));
        const QImage shot = m_wnd->grabWindow();
        // The button's glyph is drawn, and so is the ellipsis where the path begins.
        QVERIFY(InkPixels(shot, button, QRectF(0, 0, button->width(), button->height())) > 20);
        const qreal left = path->property("leftPadding").toReal();
        QVERIFY(InkPixels(shot, path, QRectF(left, 0, 12, path->height())) > 3);
    }

    // Dropped from its button's cross while its list shows: the window returns to this
    // computer's lists, the page and the field go, the other host fills the bar.
    void aHostDroppedWhileShownTakesItsPageAlong()
    {
        rightToHost(2);
        hoverAt(hostButton(2));
        QObject *close = obj("host_btn_2")->findChild<QObject *>("host_close");
        QTRY_VERIFY(close->property("visible").toBool());
        clickAt(QPoint(kListWidth - kBarLine / 2, m_wnd->height() - kBarLine / 2));
        QTRY_COMPARE_WITH_TIMEOUT(connector()->getHostsCount(), 1, 10000);
        QTRY_COMPARE((*m_second)->getHostsCount(), 0);
        QTRY_COMPARE(prop("lists_container", "count").toInt(), 2);
        QTRY_VERIFY(shownIp().isEmpty());
        QVERIFY(checked("host_local"));
        QVERIFY(!obj("filter_remote_2")->property("active").toBool());
        QTRY_COMPARE(prop("host_btn_2", "width").toReal(), 0.0);
        QTRY_COMPARE(prop("host_btn_1", "width").toReal(), qreal(kListWidth));
        // Back in the Pin view it was reached from; the one host left is to its right.
        QVERIFY(pinShown());
        QTRY_VERIFY(!busy());
        Key({"Right"});
        QTRY_COMPARE(shownIp(), kFirstIp);
        Key({"Right"});
        QTest::qWait(300);
        QCOMPARE(shownIp(), kFirstIp);
    }

    void cleanupTestCase()
    {
        delete m_main;
        m_main = nullptr;
        m_first.reset();
        m_second.reset();
    }
};

TOLVANE_UI_TEST_MAIN(TestMainWindowHosts)

#include "tst_main_window_hosts.moc"
