#include "os/wayland/remote_desktop_keyboard.h"

#include "os/os_logging.h"
#include "os/wayland/portal_request.h"

#include <QDBusMessage>
#include <QDBusObjectPath>

namespace {
const QString kInterface = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
constexpr uint kKeyboardDevice = 1;
// The user may need a while to answer the desktop's question; the quick paste waits for
// it, so not for ever.
constexpr int kAnswerTimeoutMs = 30000;
constexpr int kKeysymControlL = 0xffe3;
constexpr int kKeysymV = 0x0076;
} // namespace

RemoteDesktopKeyboard::RemoteDesktopKeyboard(const QDBusConnection &bus) : m_bus(bus) {}

bool RemoteDesktopKeyboard::available()
{
    if (m_available < 0)
        m_available = Portal::Offers(m_bus, kInterface) ? 1 : 0;
    return m_available == 1;
}

bool RemoteDesktopKeyboard::startSession()
{
    QVariantMap results;
    const uint created = CPortalRequest::Wait(
        new CPortalRequest(m_bus, kInterface, QStringLiteral("CreateSession"), {},
                           {{QStringLiteral("session_handle_token"), Portal::NewToken()}}),
        &results, kAnswerTimeoutMs);
    const QString session = results.value(QStringLiteral("session_handle")).toString();
    if (created != CPortalRequest::kSuccess || session.isEmpty()) {
        qCWarning(lcOs) << "RemoteDesktopKeyboard"
                        << "no session" << created;
        return false;
    }
    const QDBusObjectPath handle(session);
    const uint selected =
        CPortalRequest::Wait(new CPortalRequest(m_bus, kInterface, QStringLiteral("SelectDevices"),
                                                {QVariant::fromValue(handle)},
                                                {{QStringLiteral("types"), kKeyboardDevice}}),
                             nullptr, kAnswerTimeoutMs);
    const uint started =
        selected != CPortalRequest::kSuccess
            ? selected
            : CPortalRequest::Wait(new CPortalRequest(m_bus, kInterface, QStringLiteral("Start"),
                                                      {QVariant::fromValue(handle), QString()}, {}),
                                   &results, kAnswerTimeoutMs);
    if (started != CPortalRequest::kSuccess) {
        qCWarning(lcOs) << "RemoteDesktopKeyboard"
                        << "keyboard not granted" << started;
        // Asking again on every paste would nag: a refusal, or a question left unanswered,
        // holds for this run.
        m_refused = started != CPortalRequest::kSuccess;
        m_bus.send(QDBusMessage::createMethodCall(Portal::kService, session,
                                                  QStringLiteral("org.freedesktop.portal.Session"),
                                                  QStringLiteral("Close")));
        return false;
    }
    m_session = session;
    return true;
}

bool RemoteDesktopKeyboard::sendKeysym(int keysym, bool pressed)
{
    QDBusMessage call = QDBusMessage::createMethodCall(Portal::kService, Portal::kPath, kInterface,
                                                       QStringLiteral("NotifyKeyboardKeysym"));
    call << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariantMap() << keysym
         << uint(pressed ? 1 : 0);
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    qCWarning(lcOs) << "RemoteDesktopKeyboard" << reply.errorMessage();
    m_session.clear(); // ended by the desktop, perhaps; the next paste starts a new one
    return false;
}

bool RemoteDesktopKeyboard::sendPaste()
{
    if (m_refused || !available())
        return false;
    if (m_session.isEmpty() && !startSession())
        return false;
    return sendKeysym(kKeysymControlL, true) && sendKeysym(kKeysymV, true) &&
           sendKeysym(kKeysymV, false) && sendKeysym(kKeysymControlL, false);
}
