// The paste on Wayland compositors without virtual keyboards (GNOME, Plasma): Ctrl+V goes
// through the RemoteDesktop interface of the desktop portal, here a portal of the test's own
// on the private session bus; where the user refuses it, or there is no such portal, the
// user is told to press Ctrl+V (a notification server of the test's own records it).
//
// The program's own Wayland connection, which looks for the virtual keyboard, goes to a
// compositor that offers nothing (BareCompositor); the toolkit's stays with sway.
#include "bare_compositor.h"
#include "fake_notifications.h"
#include "fake_remote_desktop_portal.h"
#include "os/wayland/wayland_paste_keystroke.h"
#include "threaded_bus_service.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QtTest>

#include <memory>

namespace {
const QString kPortalInterface = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
const QStringList kSession = {"CreateSession", "SelectDevices types=1", "Start"};
const QStringList kCtrlV = {"key 0xffe3 down", "key 0x76 down", "key 0x76 up", "key 0xffe3 up"};
} // namespace

class TestWaylandRemoteDesktopPaste : public QObject
{
    Q_OBJECT
private:
    // The notifications shown so far, once the server has taken every one sent before:
    // the bus keeps the order of one sender's messages, so a call answered means those
    // before it arrived.
    QStringList notices()
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            CFakeNotifications::kService, CFakeNotifications::kPath,
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("GetCapabilities"));
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return {QStringLiteral("the notification server did not answer")};
        return m_notifications->shown().mid(m_noticesBefore);
    }
    QString copiedNotice() const
    {
        return QGuiApplication::applicationDisplayName() + QStringLiteral(": Copied, press Ctrl+V");
    }

    // A portal of this case's own on the bus, answering Start with start_response; null when
    // it could not be served.
    CFakeRemoteDesktopPortal *servePortal(uint start_response)
    {
        auto *portal = new CFakeRemoteDesktopPortal(start_response);
        m_portalService = std::make_unique<ThreadedBusService>(
            CFakePortal::kService, CFakePortal::kPath, portal,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        return m_portalService->isRegistered() ? portal : nullptr;
    }

    std::unique_ptr<BareCompositor> m_compositor;
    std::unique_ptr<ThreadedBusService> m_portalService;
    CFakeNotifications *m_notifications = nullptr;
    std::unique_ptr<ThreadedBusService> m_notificationService;
    int m_noticesBefore = 0;

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        m_compositor = std::make_unique<BareCompositor>();
        QVERIFY(!m_compositor->socketName().isEmpty());
        qputenv("WAYLAND_DISPLAY", m_compositor->socketName());

        m_notifications = new CFakeNotifications;
        m_notificationService = std::make_unique<ThreadedBusService>(
            CFakeNotifications::kService, CFakeNotifications::kPath, m_notifications);
        QVERIFY(m_notificationService->isRegistered());
    }

    void init() { m_noticesBefore = m_notifications->shown().size(); }
    void cleanup() { m_portalService.reset(); }

    void ctrlVGoesThroughTheGrantedKeyboard()
    {
        CFakeRemoteDesktopPortal *portal = servePortal(0);
        QVERIFY(portal);
        WaylandPasteKeystroke paste;
        const int clients = m_compositor->clientsConnected();

        QVERIFY(paste.send());
        // It looked for a virtual keyboard first, and found none.
        QCOMPARE(m_compositor->clientsConnected(), clients + 1);
        QCOMPARE(portal->calls(), kSession + kCtrlV);
        // The session lasts: the next paste asks nothing again.
        QVERIFY(paste.send());
        QCOMPARE(portal->calls(), kSession + kCtrlV + kCtrlV);
        QCOMPARE(notices(), QStringList());
    }

    void aRefusalHoldsForTheRunAndTheUserIsTold()
    {
        CFakeRemoteDesktopPortal *portal = servePortal(1);
        QVERIFY(portal);
        WaylandPasteKeystroke paste;

        QVERIFY(!paste.send());
        QCOMPARE(portal->calls(), kSession);
        QCOMPARE(notices(), QStringList{copiedNotice()});
        // Not asked again: the user said no for this run.
        QVERIFY(!paste.send());
        QCOMPARE(portal->calls(), kSession);
        QCOMPARE(notices(), QStringList({copiedNotice(), copiedNotice()}));
    }

    void withNeitherTheUserIsTold()
    {
        QVERIFY(
            !QDBusConnection::sessionBus().interface()->isServiceRegistered(CFakePortal::kService));
        WaylandPasteKeystroke paste;
        QVERIFY(!paste.send());
        QCOMPARE(notices(), QStringList{copiedNotice()});
    }

    void cleanupTestCase()
    {
        m_notificationService.reset();
        m_compositor.reset();
    }
};

QTEST_MAIN(TestWaylandRemoteDesktopPaste)

#include "tst_wayland_remote_desktop_paste.moc"
