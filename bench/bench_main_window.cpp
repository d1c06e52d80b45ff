// The main window with a 300-item history: opening it to its first frame (the first time
// after start, when it is made; later, when it was only hidden; and after it was given back
// for being hidden a while), a search typed into its field until the list is drawn again,
// and selecting a 5 MB text item until its details are drawn, with the process's resident
// memory after it.
#include "bench_table.h"
#include "benches.h"
#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "cmain.h"
#include "event_wait.h"
#include "first_frame.h"
#include "free_port.h"
#include "item/mime_convert.h"
#include "settings/settings_helper.h"

#include <QElapsedTimer>
#include <QFile>
#include <QQuickWindow>

namespace {
constexpr int kItems = 300;
constexpr int kOpenRuns = 20;
constexpr int kRemakeRuns = 5;
constexpr int kFilterRounds = 10;
constexpr int kBigSelectRuns = 10;
constexpr int kBigTextChars = 5 * 1024 * 1024;

// Resident memory of this process in MiB, from the kernel's account; -1 when unreadable.
double ResidentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return -1;
}

// Time from action() until the window has put a new frame on screen.
template <typename Action> double TimeToFrame(QQuickWindow *win, Action action)
{
    bool swapped = false;
    const QMetaObject::Connection c =
        QObject::connect(win, &QQuickWindow::frameSwapped, [&swapped] { swapped = true; });
    QElapsedTimer t;
    t.start();
    action();
    const bool ok = WaitFor([&swapped] { return swapped; });
    const double ms = t.nsecsElapsed() / 1e6;
    QObject::disconnect(c);
    return ok ? ms : -1;
}
} // namespace

bool RunMainWindow(BenchTable &table)
{
    CSettingsHelper *ini = CSettingsHelper::instance();
    ini->setIni(ini->stack_max_item_count(), kItems + 10);
    ini->setIni(ini->connect_port(), QString::number(FreeTcpPort()));
    CMain controller;
    controller.setReleaseHiddenAfter(0); // until the runs that measure it
    if (!controller.initialise()) {
        table.addNote(QStringLiteral("main window"), QStringLiteral("FAILED: no window"));
        return false;
    }
    CCilpboardListModel *list = CClipboardManager::instance()->clipboardModel();
    for (int i = list->rowCount(); i < kItems; ++i)
        list->prependItem(MakeBenchItem(i));
    // Start-up work and the first-run text settle, and the window's documents are compiled
    // as they are a second after start: a user's first show comes later still.
    WaitFor([] { return false; }, 1500);

    // The first show after start makes the window.
    FirstFrameTimer first_frame;
    auto show_new = [&] {
        first_frame.start();
        emit CQmlHelper::instance()->sigShowMainWnd();
        return first_frame.waitMs();
    };
    bool ok = !controller.existingMainWindow();
    const double first_ms = ok ? show_new() : -1;
    QQuickWindow *win = controller.existingMainWindow();
    ok = ok && first_ms >= 0 && win;
    if (!ok) {
        table.addNote(QStringLiteral("main window"), QStringLiteral("FAILED: no window"));
        return false;
    }
    const QString rows = QStringLiteral("%1 items").arg(list->rowCount());
    table.addSamples(QStringLiteral("main window, first show after start, to first frame"),
                     {first_ms}, rows + QStringLiteral(", window made"));
    win->setProperty("face_opacity", 0);
    ok = WaitFor([win] { return !win->isVisible(); });
    WaitFor([] { return false; }, 50);

    QVector<double> open_ms;
    for (int i = 0; i < kOpenRuns && ok; ++i) {
        const double ms = TimeToFrame(win, [] { emit CQmlHelper::instance()->sigShowMainWnd(); });
        ok = ms >= 0;
        open_ms.append(ms);
        win->setProperty("face_opacity", 0);
        ok = ok && WaitFor([win] { return !win->isVisible(); });
        WaitFor([] { return false; }, 50);
    }
    table.addSamples(QStringLiteral("main window, hidden to first frame"), open_ms,
                     ok ? rows : QStringLiteral("FAILED: no frame"));

    // Given back after a while hidden, it is made again on the next show.
    controller.setReleaseHiddenAfter(100);
    QVector<double> remake_ms;
    for (int i = 0; i < kRemakeRuns && ok; ++i) {
        ok = WaitFor([&] { return !controller.existingMainWindow(); });
        const double ms = ok ? show_new() : -1;
        ok = ms >= 0 && controller.existingMainWindow();
        remake_ms.append(ms);
        win = controller.existingMainWindow();
        if (win)
            win->setProperty("face_opacity", 0);
    }
    controller.setReleaseHiddenAfter(0);
    table.addSamples(QStringLiteral("main window, shown after it was given back"), remake_ms,
                     ok ? rows + QStringLiteral(", window made again")
                        : QStringLiteral("FAILED: no frame"));
    if (!ok)
        return false;

    // The show request toggles: the last made window must have hidden first.
    WaitFor([win] { return !win->isVisible(); });
    emit CQmlHelper::instance()->sigShowMainWnd();
    QObject *field = win->findChild<QObject *>(QStringLiteral("filter_main"));
    if (!field || !WaitFor([win] { return win->isExposed(); })) {
        table.addNote(QStringLiteral("search round trip"), QStringLiteral("FAILED: no field"));
        return false;
    }
    const QStringList keys = {QStringLiteral("note"), QStringLiteral("png"),
                              QStringLiteral("heading 1?"), QString()};
    QVector<double> filter_ms;
    for (int round = 0; round < kFilterRounds; ++round) {
        for (const QString &key : keys) {
            const double ms = TimeToFrame(win, [field, key] { field->setProperty("text", key); });
            ok = ok && ms >= 0;
            filter_ms.append(ms);
            // Rows shrink and grow over 200 ms; start the next search on a settled list.
            WaitFor([] { return false; }, 250);
        }
    }
    table.addSamples(QStringLiteral("search typed in the window, to next frame"), filter_ms,
                     ok ? rows : QStringLiteral("FAILED: no frame"));
    field->setProperty("text", QString());
    WaitFor([] { return false; }, 250);

    // A 5 MB text as row 0, an ordinary row below it: the selection goes back and forth.
    CBData big;
    big.type = CQmlTypes::Text;
    QString big_text(kBigTextChars, QLatin1Char('w'));
    for (int i = 80; i < big_text.size(); i += 81)
        big_text[i] = QLatin1Char('\n');
    big.plain = big_text;
    big.val = big_text;
    big.md5 = GetVariantMd5(big.val);
    ShareTextValue(big);
    list->prependItem(big);
    QObject *view = win->findChild<QObject *>(QStringLiteral("main_list"));
    QVector<double> select_ms;
    for (int i = 0; i < kBigSelectRuns && view && ok; ++i) {
        view->setProperty("currentIndex", 1);
        WaitFor([] { return false; }, 100);
        const double ms = TimeToFrame(win, [view] { view->setProperty("currentIndex", 0); });
        ok = ms >= 0;
        select_ms.append(ms);
    }
    table.addSamples(QStringLiteral("5 MB text item selected, to next frame"), select_ms,
                     ok && view ? QStringLiteral("%1 items").arg(list->rowCount())
                                : QStringLiteral("FAILED: no frame"));
    table.addNote(QStringLiteral("resident memory, mixed history and the 5 MB item shown"),
                  QStringLiteral("%1 MiB").arg(ResidentMiB(), 0, 'f', 0));
    win->setProperty("face_opacity", 0);
    return ok;
}
