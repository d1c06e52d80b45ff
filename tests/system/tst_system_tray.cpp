// The tray icon of the real program, as two kinds of desktop tray see it: a
// StatusNotifierWatcher of the test's own on a private session bus (with a notification
// server for the balloons), and an XEmbed tray from Debian (trayer) on the X display.
#include "fake_notifications.h"
#include "item/history_file.h"
#include "private_session_bus.h"
#include "threaded_bus_service.h"
#include "tolvane_process.h"
#include "ui_driver.h"
#include "x11_tray_probe.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QScreen>

#include <csignal>

using UiDriver::Run;

namespace {
const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");
// Showing a window for the first time makes the program compile QML (a fresh home has no
// cache of it) and, on the software renderer, shaders: on a busy machine that takes many
// seconds, during which it answers no calls on the bus.
constexpr int kFirstShowMs = 30000;

// One entry of a dbusmenu layout, with its sub-entries.
struct MenuNode
{
    int id = 0;
    QVariantMap properties;
    QList<MenuNode> children;
};

MenuNode ReadMenuNode(const QDBusArgument &arg)
{
    MenuNode node;
    arg.beginStructure();
    arg >> node.id >> node.properties;
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusVariant child;
        arg >> child;
        node.children << ReadMenuNode(child.variant().value<QDBusArgument>());
    }
    arg.endArray();
    arg.endStructure();
    return node;
}

QDBusMessage Call(const QString &service, const QString &path, const QString &interface,
                  const QString &method, const QVariantList &args = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(args);
    return QDBusConnection::sessionBus().call(call, QDBus::BlockWithGui, kFirstShowMs);
}

QVariant ItemProperty(const QString &service, const QString &name)
{
    const QDBusMessage reply =
        Call(service, "/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
             {kItemInterface, name});
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

// How many windows titled "Tolvane" (the main window, the quick paste window) the real
// program shows, not counting a docked tray icon.
int WindowsShown(TolvaneProcess &app, quint64 icon = 0)
{
    QStringList windows =
        Run("xdotool", {"search", "--onlyvisible", "--pid",
                        QString::number(app.process().processId()), "--name", "^Tolvane$"})
            .split('\n', Qt::SkipEmptyParts);
    windows.removeAll(QString::number(icon));
    return windows.size();
}

void SaveArtifact(const QImage &image, const QString &name)
{
    QDir().mkpath(TOLVANE_ARTIFACTS_DIR);
    image.save(QString(TOLVANE_ARTIFACTS_DIR) + "/" + name + ".png");
}
} // namespace

// The desktop's side of StatusNotifierItem: records who registers.
class FakeStatusNotifierWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
public:
    FakeStatusNotifierWatcher()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        m_ok = bus.registerObject("/StatusNotifierWatcher", this,
                                  QDBusConnection::ExportAllContents) &&
               bus.registerService(kWatcherService);
    }
    ~FakeStatusNotifierWatcher() override
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(kWatcherService);
        bus.unregisterObject("/StatusNotifierWatcher");
    }
    bool isServing() const { return m_ok; }
    QStringList items() const { return m_items; }
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

public slots:
    void RegisterStatusNotifierItem(const QString &service, const QDBusMessage &message)
    {
        // A bare object path stands for the sender's own name.
        m_items << (service.startsWith('/') ? message.service() : service);
        emit StatusNotifierItemRegistered(m_items.last());
    }
    void RegisterStatusNotifierHost(const QString &) {}

signals:
    void StatusNotifierItemRegistered(const QString &service);
    void StatusNotifierItemUnregistered(const QString &service);
    void StatusNotifierHostRegistered();

private:
    QStringList m_items;
    bool m_ok = false;
};

// The desktop's side of a tray on the session bus: a status notifier watcher and a
// notification server.
struct TrayDesktop
{
    FakeStatusNotifierWatcher watcher;
    CFakeNotifications *notifications = new CFakeNotifications; // owned by the service
    ThreadedBusService service{CFakeNotifications::kService, CFakeNotifications::kPath,
                               notifications};
    bool isServing() { return watcher.isServing() && service.isRegistered(); }
};

class TestSystemTray : public QObject
{
    Q_OBJECT
private slots:
    void statusNotifierItemMenuActivateAndQuit()
    {
        TrayDesktop desktop;
        QVERIFY(desktop.isServing());
        FakeStatusNotifierWatcher &watcher = desktop.watcher;
        CFakeNotifications *notifications = desktop.notifications;
        TolvaneEnvironment env; // a first run: it greets through the tray
        TolvaneProcess app(env);
        QVERIFY(app.start());
        QTRY_VERIFY_WITH_TIMEOUT(!watcher.items().isEmpty(), 20000);
        const QString item = watcher.items().first();
        QVERIFY2(QDBusConnection::sessionBus().interface()->isServiceRegistered(item),
                 qPrintable(item));
        // Shown ("NeedsAttention" while its greeting balloon is up), not hidden.
        QVERIFY(ItemProperty(item, "Status").toString() != "Passive");

        // The greeting arrives as a balloon of the icon.
        QTRY_VERIFY_WITH_TIMEOUT(notifications->shown().contains("Tolvane: Application started."),
                                 20000);

        // The menu: four entries and a separator.
        const QString menu_path = ItemProperty(item, "Menu").value<QDBusObjectPath>().path();
        QVERIFY(!menu_path.isEmpty());
        const QDBusMessage layout =
            Call(item, menu_path, kMenuInterface, "GetLayout", {0, -1, QStringList()});
        QCOMPARE(layout.type(), QDBusMessage::ReplyMessage);
        const MenuNode root = ReadMenuNode(layout.arguments().at(1).value<QDBusArgument>());
        QStringList entries;
        int quit_id = -1;
        int pause_id = -1;
        for (const MenuNode &child : root.children) {
            if (child.properties.value("type").toString() == "separator") {
                entries << "-";
                continue;
            }
            const QString label = child.properties.value("label").toString();
            entries << label;
            if (label == "Quit")
                quit_id = child.id;
            if (label == "Pause capture")
                pause_id = child.id;
        }
        QCOMPARE(entries,
                 QStringList({"Show clipboard", "Show quick paste", "Pause capture", "-", "Quit"}));

        // "Pause capture" pauses; the command line's resume unticks the entry again.
        const auto pause_ticked = [&] {
            const QDBusMessage now =
                Call(item, menu_path, kMenuInterface, "GetLayout", {0, -1, QStringList()});
            for (const MenuNode &child :
                 ReadMenuNode(now.arguments().at(1).value<QDBusArgument>()).children) {
                if (child.id == pause_id)
                    return child.properties.value("toggle-state").toInt() == 1;
            }
            return false;
        };
        const auto paused = [] {
            const QDBusMessage r = Call("org.example.tolvane", "/org/example/tolvane",
                                        "org.example.tolvane", "IsPaused", {});
            return r.type() == QDBusMessage::ReplyMessage && r.arguments().value(0).toBool();
        };
        QVERIFY(!pause_ticked());
        Call(item, menu_path, kMenuInterface, "Event",
             {pause_id, QString("clicked"), QVariant::fromValue(QDBusVariant(QString())), 0u});
        QTRY_VERIFY_WITH_TIMEOUT(paused(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(pause_ticked(), 10000);
        QCOMPARE(QProcess::execute(TOLVANE_BIN, {"resume"}), 0);
        QVERIFY(!paused());
        QTRY_VERIFY_WITH_TIMEOUT(!pause_ticked(), 10000);

        // Activating the icon (a left click in the host) shows the main window.
        QCOMPARE(WindowsShown(app), 0);
        const QDBusMessage activated =
            Call(item, "/StatusNotifierItem", kItemInterface, "Activate", {0, 0});
        QVERIFY2(activated.type() == QDBusMessage::ReplyMessage,
                 qPrintable(activated.errorMessage()));
        QTRY_VERIFY2_WITH_TIMEOUT(WindowsShown(app) == 1,
                                  qPrintable(QString("%1 windows shown; log:\n%2")
                                                 .arg(WindowsShown(app))
                                                 .arg(app.log().right(2000))),
                                  kFirstShowMs);

        // "Quit" from the menu ends the program, which saves its history on the way out.
        QFile history(env.cacheDir() + "/clipboard/history");
        QVERIFY(!history.exists());
        Call(item, menu_path, kMenuInterface, "Event",
             {quit_id, QString("clicked"), QVariant::fromValue(QDBusVariant(QString())), 0u});
        QVERIFY(app.waitForFinished(20000));
        QCOMPARE(app.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.process().exitCode(), 0);
        QVERIFY(history.open(QIODevice::ReadOnly));
        const HistoryFile::ReadResult saved = HistoryFile::Read(history);
        QCOMPARE(int(saved.status), int(HistoryFile::ReadStatus::Ok));
        QVERIFY(!saved.rows.isEmpty());
        QVERIFY(saved.rows.first().plain.toString().startsWith("Usage:"));
    }

    void noIconAndNoBalloonWhenTheSettingIsOff()
    {
        TrayDesktop desktop;
        QVERIFY(desktop.isServing());
        FakeStatusNotifierWatcher &watcher = desktop.watcher;
        CFakeNotifications *notifications = desktop.notifications;
        TolvaneEnvironment env;
        QVERIFY(env.writeSettings("[General]\napp_show_tray=false\n"));
        TolvaneProcess app(env);
        QVERIFY(app.start());
        // The first-run greeting is the last step of the start; by then an icon would
        // long have registered, and its balloon been sent.
        QVERIFY2(app.waitForCount("balloon: Application started.", 1, 20000),
                 qPrintable(app.log()));
        QTest::qWait(1000);
        QVERIFY(watcher.items().isEmpty());
        QVERIFY(notifications->shown().isEmpty());
        QVERIFY(app.sendSignal(SIGTERM));
        QVERIFY(app.waitForFinished(15000));
    }

    void iconDocksInAnXEmbedTray()
    {
        // No watcher on the bus now: Qt falls back to the XEmbed protocol.
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(kWatcherService));
        QProcess tray;
        tray.start("trayer", {"--edge", "top", "--align", "left", "--widthtype", "pixel", "--width",
                              "120", "--heighttype", "pixel", "--height", "32", "--transparent",
                              "false", "--SetDockType", "true"});
        QVERIFY(tray.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(X11TrayProbe::TrayManagerRunning(), 10000);

        TolvaneEnvironment env;
        QVERIFY(env.writeSettings("[General]\napp_version=1.5.0\n"));
        TolvaneProcess app(env);
        QVERIFY(app.start());
        quint64 icon = 0;
        QTRY_VERIFY_WITH_TIMEOUT((icon = X11TrayProbe::FindDockedWindow(
                                      tray.processId(), app.process().processId())) != 0,
                                 20000);
        QRect at;
        QTRY_VERIFY((at = X11TrayProbe::RootGeometry(icon)).width() > 0);
        QTest::qWait(500); // the icon paints itself
        QScreen *screen = QGuiApplication::primaryScreen();
        SaveArtifact(screen->grabWindow(0, 0, 0, 240, 48).toImage(), "tray-xembed");

        // A click on the docked icon shows the main window.
        Run("xdotool", {"mousemove", QString::number(at.center().x()),
                        QString::number(at.center().y()), "click", "1"});
        QTRY_VERIFY2_WITH_TIMEOUT(WindowsShown(app, icon) == 1, qPrintable(app.log().right(2000)),
                                  kFirstShowMs);
        // A right click opens the menu at the pointer; its second entry opens quick paste.
        QVERIFY(!X11TrayProbe::PopupMenuShown(app.process().processId()));
        Run("xdotool", {"click", "3"});
        QTRY_VERIFY_WITH_TIMEOUT(X11TrayProbe::PopupMenuShown(app.process().processId()), 10000);
        QTest::qWait(300); // the menu fades in
        SaveArtifact(screen->grabWindow(0, 0, 0, 400, 200).toImage(), "tray-xembed-menu");
        Run("xdotool", {"key", "Down", "Down", "Return"});
        QTRY_VERIFY2_WITH_TIMEOUT(WindowsShown(app, icon) == 2, qPrintable(app.log().right(2000)),
                                  kFirstShowMs);

        QVERIFY(app.sendSignal(SIGTERM));
        QVERIFY(app.waitForFinished(15000));
        tray.terminate();
        if (!tray.waitForFinished(5000))
            tray.kill();
        tray.waitForFinished(5000);
    }
};

TOLVANE_TEST_MAIN_PRIVATE_BUS(TestSystemTray)
#include "tst_system_tray.moc"
