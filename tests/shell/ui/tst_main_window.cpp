// The main window as a user meets it: the real controller and window under a window
// manager, driven only by real key presses; results read from the models, from the
// clipboard as another program sees it, and from the window's objects.
#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "cmain.h"
#include "free_port.h"
#include "isolated_env.h"
#include "item/mime_convert.h"
#include "item/storage_paths.h"
#include "main_window_start.h"
#include "qt_warning_log.h"
#include "settings/settings_helper.h"
#include "test_items.h"
#include "ui_driver.h"
#include "ui_test_main.h"

#include <QClipboard>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QTimer>
#include <QtMath>

using namespace UiDriver;

namespace {
const QStringList kRows = {"alpha one", "bravo two", "charlie three", "delta four", "echo five"};

// Relative luminance and contrast ratio as the web's accessibility guidelines define them.
double Luminance(QRgb c)
{
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

double Contrast(QRgb a, QRgb b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// The strongest contrast of any pixel in `area` against `ground`: the colour a line or a
// glyph is drawn in shows fully in its core pixels, its edges are blended with the ground.
double MaxContrast(const QImage &shot, const QRect &area, QRgb ground)
{
    double best = 1;
    const QRect inside = area & shot.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            best = qMax(best, Contrast(shot.pixel(x, y), ground));
    }
    return best;
}
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
    // A picture of one colour as the new top row, stored as a capture stores it, and
    // made current.
    void addCurrentImage(const QColor &colour)
    {
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(colour);
        CBData image = TextItem("Image", CQmlTypes::Image);
        image.md5 = GetVariantMd5(QVariant(picture));
        image.val = image.md5;
        QDir().mkpath(StoragePaths::ClipboardDir());
        QVERIFY(picture.save(StoragePaths::ImgPath(image.md5)));
        cb()->prependItem(image);
        obj("main_list")->setProperty("currentIndex", 0);
    }
    void showWindow()
    {
        if (!m_wnd->isVisible())
            emit CQmlHelper::instance()->sigShowMainWnd();
        QVERIFY(Activate(m_wnd));
        QTRY_VERIFY(!stackBusy());
    }
    // To the Clipboard view (or the Pin view), as the window's own view switch does it.
    void switchView(bool to_clipboard)
    {
        QMetaObject::invokeMethod(m_wnd, "switchView2Local", Q_ARG(QVariant, false),
                                  Q_ARG(QVariant, to_clipboard));
        QTRY_VERIFY(!stackBusy());
    }
    // The window as drawn, once animations and asynchronous images have settled.
    QImage settledShot()
    {
        QTest::qWait(600);
        return m_wnd->grabWindow();
    }
    void saveShot(const QString &name)
    {
        const QString path = QString(TOLVANE_ARTIFACTS_DIR) + "/" + name + "-" + m_theme + ".png";
        QVERIFY2(SaveShot(m_wnd, path, 600), qPrintable(path));
    }

    // A left click at a point of the window, through the X server.
    void clickAt(const QPoint &local)
    {
        const QPoint at = OnScreen(m_wnd, local);
        Run("xdotool",
            {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    }

    // Puts the mouse pointer over a row of the current list, through the X server.
    void hoverRow(int row)
    {
        const QPoint at = OnScreen(m_wnd, QPoint(200, 52 + 48 * row + 24));
        Run("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y())});
    }

    // A search marks its matches in the rows (bold, in the accent colour) and in the
    // details (a marker's background), Chinese rows among them.
    void searchMarksMatches()
    {
        cb()->prependItem(TextItem(QStringLiteral("在 tolvane 中搜索剪贴板历史")));
        // Typed searches are driven above; here the field is filled as typing fills it.
        obj("filter_main")->setProperty("text", "tolvane");
        QTRY_COMPARE(shownRows("main_list"), 2);
        obj("main_list")->setProperty("currentIndex", 0);
        QObject *marks = Find(m_wnd, "text_marks");
        QVERIFY(marks);
        int marked = 0;
        QMetaObject::invokeMethod(marks, "markedCount", Q_RETURN_ARG(int, marked));
        QCOMPARE(marked, 1);
        saveShot("main-search-marks");
        const QImage shot = m_wnd->grabWindow();
        QVERIFY(PixelsNear(shot, obj<QQuickItem>("details_wnd"),
                           marks->property("color").value<QColor>(), 8) > 100);
        const QList<QQuickItem *> rows = markedRows();
        QCOMPARE(rows.size(), 2);
        for (QQuickItem *row : rows)
            QVERIFY2(MarkPixels(shot, row) > 15, qPrintable(row->property("text").toString()));
        QMetaObject::invokeMethod(obj("filter_box"), "clearFilter");
        QTRY_VERIFY(markedRows().isEmpty());
    }
    // The main list's row texts that show marks.
    QList<QQuickItem *> markedRows()
    {
        return VisibleItems(obj<QQuickItem>("main_list"), "row_text", "<font");
    }

    // A link that fails says so in the dialog: a sign, a title, the reason in full-size
    // text and a way to try again.
    void linkFailureIsPlain()
    {
        QMetaObject::invokeMethod(obj("dialogs"), "config");
        QTRY_VERIFY(Find(m_wnd, "config_remote"));
        QObject *remote = obj("config_remote");
        obj("config_tabs")->setProperty("currentIndex", 1);
        remote->setProperty("link_port", FreeTcpPort()); // nothing listens there
        obj("input_ip")->setProperty("text", "127.0.0.2");
        QMetaObject::invokeMethod(remote, "tryConnect");
        QTRY_COMPARE_WITH_TIMEOUT(remote->property("currentIndex").toInt(), 2, 20000);
        QVERIFY(!obj("failure_text")->property("text").toString().isEmpty());
        QVERIFY(obj("failure_text")->property("font").value<QFont>().pixelSize() >= 14);
        QVERIFY(obj<QQuickItem>("btn_retry")->isVisible());
        if (m_theme == "zh_CN")
            QVERIFY(prop("failure_title", "text").toString() != "Could not connect");
        saveShot("main-link-failure");
        auto *icon = obj<QQuickItem>("failure_icon");
        QVERIFY(PixelsNear(m_wnd->grabWindow(), icon, icon->property("color").value<QColor>(), 40) >
                20);
        Key({"Escape"});
        QTRY_VERIFY(!Find(m_wnd, "config_dlg"));
    }

    CMain *m_main = nullptr;
    QQuickWindow *m_wnd = nullptr;
    QString m_theme;

private slots:
    void initTestCase()
    {
        m_theme = MainWindowStart::Variant();
        QVERIFY(MainWindowStart::PrepareSettings(true));
        // A previewer the program finds at start, under a name of its own.
        const QString viewer = QDir::tempPath() + "/Peek Viewer";
        QVERIFY(QFile::copy("/bin/true", viewer));
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Marden", "Peekora")
            .setValue("Others/app_path", viewer);
        m_main = MainWindowStart::Start(this);
        QVERIFY(m_main);
        m_wnd = MainWindowStart::Window(m_main);
        QVERIFY(!m_wnd->isVisible());
    }

    void init()
    {
        // A known state: the window shown in the Clipboard view, five text rows, row 0
        // current and on the clipboard, nothing pinned, no search.
        if (m_wnd->isVisible()) {
            QMetaObject::invokeMethod(obj("filter_box"), "clearFilter");
            switchView(true);
        }
        CSettingsHelper::instance()->setIni(CSettingsHelper::instance()->stack_max_item_count(),
                                            50);
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

    // Whatever a case did, neither QML nor Qt printed a warning.
    void cleanup()
    {
        const QStringList warnings = QtWarningLog::instance()->take();
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
        // The frame that first shows the typed key draws the field alone: the rows are
        // filtered and marked in the next one, as marking them costs more than the frame.
        // Nor does that work start as soon as the frame is sent: the display server is
        // let show it first. So the state is read once the event loop turns after the send.
        QString keyAtFirstFrame;
        int markedAtFirstFrame = -1;
        bool firstFrameSeen = false;
        const QMetaObject::Connection firstFrame =
            connect(m_wnd, &QQuickWindow::frameSwapped, this, [&] {
                if (firstFrameSeen || prop("filter_main", "text").toString() != "o")
                    return;
                firstFrameSeen = true;
                QTimer::singleShot(0, this, [&] {
                    keyAtFirstFrame = prop("main_list", "filter_key").toString();
                    markedAtFirstFrame = markedRows().size();
                });
            });
        Type("o");
        // Only rows with an "o" stay: alpha one, bravo two, delta four, echo five.
        QTRY_COMPARE(prop("filter_main", "text").toString(), QString("o"));
        QTRY_VERIFY(markedAtFirstFrame >= 0);
        disconnect(firstFrame);
        QCOMPARE(keyAtFirstFrame, QString());
        QCOMPARE(markedAtFirstFrame, 0);
        QTRY_COMPARE(markedRows().size(), 4);
        Type("n");
        QTRY_COMPARE(prop("filter_main", "text").toString(), QString("on"));
        // The rows follow the field one frame later.
        const auto visibleRows = [this] {
            int n = 0;
            for (int r = 0; r < kRows.size(); ++r)
                n += cb()->isVisible(r) ? 1 : 0;
            return n;
        };
        QTRY_COMPARE(visibleRows(), 1);
        QVERIFY(cb()->isVisible(0));
        QCOMPARE(cb()->rowCount(), kRows.size()); // hidden, not removed
        QTRY_COMPARE(shownRows("main_list"), 1);
        // The arrow keys still walk the list from the search field, over visible rows.
        Key({"Down"});
        QCOMPARE(mainIndex(), 0);
        QVERIFY(!prop("main_list_no_matches", "visible").toBool());
        // A search that finds nothing says so.
        Type("zz");
        QTRY_VERIFY(prop("main_list_no_matches", "visible").toBool());
        saveShot("main-no-matches");
        Key({"BackSpace", "BackSpace"});
        QTRY_VERIFY(!prop("main_list_no_matches", "visible").toBool());

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

    // The details panel shows the list's current row after an unpin in the Clipboard view
    // (a row leaves the hidden Pin list) and after deleting with Ctrl+D or Delete.
    void theDetailsShowTheSelectedRow()
    {
        auto details = [this] {
            QObject *text = Find(m_wnd, "text_area");
            return text ? text->property("text").toString() : QString();
        };
        mgr()->pinItem(1);
        mgr()->pinItem(2);
        obj("main_list")->setProperty("currentIndex", 2);
        QTRY_COMPARE(details(), kRows.at(2));
        mgr()->pinRmItem(cb(), 2); // what the row's pin button does when unchecked
        QCOMPARE(pin()->rowCount(), 1);
        QTest::qWait(300);
        QCOMPARE(details(), kRows.at(2));

        Key({"ctrl+d"});
        QCOMPARE(mainIndex(), 2);
        QTRY_COMPARE(details(), kRows.at(3));
        Key({"Delete"});
        QCOMPARE(cb()->rowCount(), kRows.size() - 2);
        QTRY_COMPARE(details(), kRows.at(4));
        Key({"Delete"}); // the last row: the one above becomes current
        QTRY_COMPARE(details(), kRows.at(1));
        QCOMPARE(mainIndex(), 1);
        saveShot("main-details-after-delete");

        // In the Pin view the same holds.
        switchView(false);
        QTRY_VERIFY(pinViewShown());
        obj("pin_list")->setProperty("currentIndex", 0);
        QTRY_COMPARE(details(), kRows.at(1));
        Key({"ctrl+d"});
        QTRY_COMPARE(pin()->rowCount(), 0);
        QTRY_COMPARE(details(), QString());
    }

    // A picture's row shows the picture, not the word "Image": measured on the pixels.
    void anImageRowShowsItsPicture()
    {
        addCurrentImage(QColor(200, 30, 150));
        // Every row has the thumbnail item; only the picture's shows.
        auto shown_thumb = [this]() -> QQuickItem * {
            QList<QQuickItem *> items = {m_wnd->contentItem()};
            while (!items.isEmpty()) {
                QQuickItem *item = items.takeFirst();
                if (item->objectName() == "row_thumb" && item->isVisible())
                    return item;
                items << item->childItems();
            }
            return nullptr;
        };
        QTRY_VERIFY(shown_thumb());
        QQuickItem *thumb = shown_thumb();
        const QImage shot = settledShot();
        const qreal painted_w = thumb->property("paintedWidth").toReal();
        const QPoint centre =
            thumb->mapToScene(QPointF(painted_w / 2, thumb->height() / 2)).toPoint() *
            shot.devicePixelRatio();
        const QColor seen = shot.pixelColor(centre);
        QVERIFY2(qAbs(seen.red() - 200) < 12 && seen.green() < 45 && qAbs(seen.blue() - 150) < 12,
                 qPrintable(seen.name()));
        saveShot("main-image-row");

        // Hidden, the window lets go of the picture in its details; the next show brings
        // it back for the same row.
        const auto picture_ready = [this] {
            const QObject *img = Find(m_wnd, "details_img");
            return img && img->property("status").toInt() == 1; // Image.Ready
        };
        QTRY_VERIFY(picture_ready());
        Key({"Escape"});
        QTRY_VERIFY(!m_wnd->isVisible());
        QTRY_VERIFY(!Find(m_wnd, "details_img"));
        showWindow();
        QTRY_VERIFY(picture_ready());
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
        clickAt(QPoint(350 - 36 - 18, 52 + 48 * 3 + 24));
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
        // Shown by the request itself, whole: a fade-in would keep it from the screen until
        // the animation's first step and then show it faint.
        QVERIFY(m_wnd->isVisible());
        QCOMPARE(m_wnd->opacity(), 1.0);
        // No compositor runs here: a translucent window would be black on the screen from
        // its map until its first frame.
        QVERIFY(!m_wnd->format().hasAlpha());
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

    void aFullListKeepsItsRowCountInTheView()
    {
        CSettingsHelper *ini = CSettingsHelper::instance();
        ini->setIni(ini->stack_max_item_count(), kRows.size());
        for (const QString &text : {"first new", "second new", "third new"}) {
            QGuiApplication::clipboard()->setText(text);
            QTRY_COMPARE(cb()->getPlain(0), QString(text));
            QCOMPARE(cb()->rowCount(), kRows.size());
            QCOMPARE(prop("main_list", "count").toInt(), cb()->rowCount());
        }
    }

    // A click on an item action in the title bar leaves the keyboard with the list.
    void afterATitleBarActionTheKeysMoveTheListAgain()
    {
        addCurrentImage(Qt::darkMagenta);
        QTRY_VERIFY(obj<QQuickItem>("ctrl_btns")->implicitWidth() > 0);

        auto *buttons = obj<QQuickItem>("ctrl_btns");
        const qreal side = buttons->height();
        clickAt(buttons->mapToScene(QPointF(side / 2, side / 2)).toPoint());
        QTRY_VERIFY(prop("btn_rotate", "checked").toBool()); // the picture turned
        QTRY_VERIFY(prop("main_list", "activeFocus").toBool());
        Key({"End"});
        QTRY_COMPARE(mainIndex(), cb()->rowCount() - 1);
        Key({"Home"});
        QTRY_COMPARE(mainIndex(), 0);
    }

    // On Linux the buttons name what they open: the file manager, the previewer found.
    void itemButtonsNameWhatTheyOpen()
    {
        cb()->prependItem(FileListItem({QUrl::fromLocalFile(QDir::tempPath())}));
        obj("main_list")->setProperty("currentIndex", 0);
        QTRY_VERIFY(Find(m_wnd, "btn_reveal"));
        QCOMPARE(prop("btn_reveal", "tooltip_str").toString(), QString("Show in file manager"));

        addCurrentImage(Qt::darkGreen);
        QTRY_VERIFY(Find(m_wnd, "btn_previewer"));
        QTRY_VERIFY(prop("btn_previewer", "visible").toBool());
        QCOMPARE(prop("btn_previewer", "tooltip_str").toString(), QString("Open with Peek Viewer"));
    }

    // The title bar's menu, opened with the mouse: without a tray icon it ends with Quit.
    void theMenuOffersQuitOnlyWithoutATray()
    {
        CSettingsHelper *ini = CSettingsHelper::instance();
        for (const bool tray : {false, true}) {
            ini->setIni(ini->app_show_tray(), tray);
            clickAt(QPoint(m_wnd->width() - 78, 26));
            QObject *bar = obj("btn_menu")->parent();
            QTRY_VERIFY(bar->property("menu").value<QObject *>());
            auto *menu = bar->property("menu").value<QObject *>();
            QTRY_VERIFY(menu->property("opened").toBool());
            QCOMPARE(prop("btn_menu", "tooltip_str").toString(), QString()); // not over the menu
            const int count = menu->property("count").toInt();
            QQuickItem *last = nullptr;
            QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem *, last),
                                      Q_ARG(int, count - 1));
            QVERIFY(last);
            QCOMPARE(count, tray ? 4 : 5);
            QCOMPARE(last->property("text").toString(), QString(tray ? "About" : "Quit"));
            Key({"Escape"});
            QTRY_VERIFY(!bar->property("menu").value<QObject *>());
            QTRY_VERIFY(prop("main_list", "activeFocus").toBool()); // the keyboard is back
            QCOMPARE(prop("btn_menu", "tooltip_str").toString(), QString("Menu"));
        }
    }

    // No compositor runs in the session: the window draws every one of its pixels, the
    // corners too, or they show black.
    void theWindowHasNoSeeThroughCorners()
    {
        QTest::qWait(300);
        const QImage shot = m_wnd->grabWindow();
        QVERIFY(!shot.isNull());
        const int r = shot.width() - 1, b = shot.height() - 1;
        for (const QPoint &p : {QPoint(0, 0), QPoint(r, 0), QPoint(0, b), QPoint(r, b)})
            QVERIFY2(qAlpha(shot.pixel(p)) == 255, qPrintable(QString("corner %1,%2 alpha %3")
                                                                  .arg(p.x())
                                                                  .arg(p.y())
                                                                  .arg(qAlpha(shot.pixel(p)))));
    }

    // Measured on the window's pixels: links of rich text against the details panel, the
    // last-favourite separator against its row, and a row's text behind a dialog's dimmer
    // against that row, each at least as far apart as readable text needs (3:1 for the
    // line).
    void darkThemeColoursAreReadable()
    {
        if (m_theme != "dark")
            QSKIP("the light theme keeps the style's own colours");
        mgr()->pinItem(1);
        mgr()->pinItem(2);
        mgr()->setIndexFavor(pin()->indexOfMD5(TextItem(kRows.at(2)).md5));
        switchView(false);
        QTRY_VERIFY(pinViewShown());
        obj("pin_list")->setProperty("currentIndex", 1); // the separator's row is not current
        auto *separator = qobject_cast<QQuickItem *>(Find(m_wnd, "fav_separator"));
        QVERIFY(separator);
        QImage shot = settledShot();
        const QRect line = separator->mapRectToScene(separator->boundingRect()).toRect();
        const QRgb row_ground = shot.pixel(line.center().x(), line.y() - 4);
        QVERIFY2(MaxContrast(shot, line, row_ground) >= 3.0,
                 qPrintable(QString::number(MaxContrast(shot, line, row_ground))));

        switchView(true);
        QTRY_VERIFY(!pinViewShown());
        CBData html = TextItem("a link", CQmlTypes::Html);
        html.val = QString("<p><a href=\"https://tolvane.example.org/\">a link to follow</a></p>");
        html.md5 = GetVariantMd5(html.val);
        cb()->prependItem(html);
        obj("main_list")->setProperty("currentIndex", 0);
        // The page of the row before is replaced by the rich text's.
        QTRY_VERIFY(Find(m_wnd, "text_area") &&
                    Find(m_wnd, "text_area")->property("text").toString().contains("follow"));
        QPointer<QQuickItem> area = obj<QQuickItem>("text_area");
        shot = settledShot();
        QVERIFY(area);
        const QRect text = area->mapRectToScene(area->boundingRect()).toRect();
        const QRgb area_ground = shot.pixel(text.x() + 4, text.bottom() - 4);
        QVERIFY2(MaxContrast(shot, text, area_ground) >= 4.5,
                 qPrintable(QString::number(MaxContrast(shot, text, area_ground))));

        saveShot("main-rich-text-link");
        Key({"ctrl+shift+d"});
        QTRY_VERIFY(Find(m_wnd, "confirm_dlg"));
        QTRY_VERIFY(prop("confirm_dlg", "opened").toBool());
        shot = settledShot();
        const QRect second_row(16, 52 + 48, 300, 48); // "alpha one", above the dialog
        const QRgb dimmed_ground = shot.pixel(330, 52 + 48 + 24);
        QVERIFY2(MaxContrast(shot, second_row, dimmed_ground) >= 4.5,
                 qPrintable(QString::number(MaxContrast(shot, second_row, dimmed_ground))));
        Key({"Escape"});
        QTRY_VERIFY(!Find(m_wnd, "confirm_dlg"));
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
        // Every line shows: the text needs no scrolling.
        QTRY_VERIFY(prop("msg_flick", "contentHeight").toReal() <=
                    prop("msg_flick", "height").toReal() + 0.5);
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
        // The favourite's number shows without the pointer over its row.
        QQuickItem *row = nullptr;
        QMetaObject::invokeMethod(obj("pin_list"), "itemAtIndex", Q_RETURN_ARG(QQuickItem *, row),
                                  Q_ARG(int, 0));
        QVERIFY(row);
        auto shows_number = [row] {
            QList<QQuickItem *> items = row->childItems();
            while (!items.isEmpty()) {
                QQuickItem *item = items.takeFirst();
                if (!item->isVisible())
                    continue;
                if (item->inherits("QQuickAbstractButton") && item->property("text") == "1")
                    return true;
                items << item->childItems();
            }
            return false;
        };
        QTRY_VERIFY(shows_number());

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
        html.plain = QStringLiteral("https://tolvane.example.org/start");
        html.md5 = GetVariantMd5(html.val);
        cb()->prependItem(html);
        obj("main_list")->setProperty("currentIndex", 0);
        QTRY_VERIFY(obj<QQuickItem>("ctrl_btns")->implicitWidth() > 0);
        saveShot("main-item-buttons");
        // The title bar's menu, opened with the mouse.
        clickAt(QPoint(m_wnd->width() - 78, 26));
        saveShot("main-menu");
        Key({"Escape"});
        searchMarksMatches();
        linkFailureIsPlain();
    }

    void cleanupTestCase()
    {
        delete m_main;
        m_main = nullptr;
    }
};

TOLVANE_UI_TEST_MAIN(TestMainWindow)

#include "tst_main_window.moc"
