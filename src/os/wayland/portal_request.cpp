#include "os/wayland/portal_request.h"

#include "os/os_logging.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

namespace Portal {
const char kService[] = "org.freedesktop.portal.Desktop";
const char kPath[] = "/org/freedesktop/portal/desktop";

bool Offers(const QDBusConnection &bus, const QString &interface)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << interface << QStringLiteral("version");
    const QDBusMessage reply = QDBusConnection(bus).call(get, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

QString NewToken()
{
    static int counter = 0;
    return QStringLiteral("tolvane%1").arg(++counter);
}
} // namespace Portal

namespace {
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");

// Where the portal puts the Request of a call with this token.
QString RequestPath(const QDBusConnection &bus, const QString &token)
{
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}
} // namespace

CPortalRequest::CPortalRequest(const QDBusConnection &bus, const QString &interface,
                               const QString &method, const QVariantList &args, QVariantMap options,
                               QObject *parent)
    : QObject(parent), m_bus(bus)
{
    const QString token = Portal::NewToken();
    options.insert(QStringLiteral("handle_token"), token);
    // Listening before the call: the answer may come before the call returns.
    listenOn(RequestPath(bus, token));
    QDBusMessage call =
        QDBusMessage::createMethodCall(Portal::kService, Portal::kPath, interface, method);
    call.setArguments(QVariantList(args) << options);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, method](QDBusPendingCallWatcher *w) {
                w->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *w;
                if (reply.isError()) {
                    qCWarning(lcOs) << "CPortalRequest" << method << reply.error().message();
                    answer(kFailed, {});
                    return;
                }
                // Old portals chose the path themselves.
                if (reply.value().path() != m_path)
                    listenOn(reply.value().path());
            });
}

void CPortalRequest::listenOn(const QString &path)
{
    if (!m_path.isEmpty())
        m_bus.disconnect(Portal::kService, m_path, kRequestInterface, QStringLiteral("Response"),
                         this, SLOT(onResponse(uint, QVariantMap)));
    m_path = path;
    m_bus.connect(Portal::kService, m_path, kRequestInterface, QStringLiteral("Response"), this,
                  SLOT(onResponse(uint, QVariantMap)));
}

void CPortalRequest::onResponse(uint response, const QVariantMap &results)
{
    answer(response, results);
}

void CPortalRequest::answer(uint response, const QVariantMap &results)
{
    if (m_answered)
        return;
    m_answered = true;
    emit sigAnswered(response, results);
    deleteLater();
}

uint CPortalRequest::Wait(CPortalRequest *request, QVariantMap *results, int timeout_ms)
{
    const QPointer<CPortalRequest> guard(request);
    uint response = kFailed;
    QEventLoop loop;
    connect(request, &CPortalRequest::sigAnswered, &loop, [&](uint r, const QVariantMap &res) {
        response = r;
        if (results)
            *results = res;
        loop.quit();
    });
    QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
    loop.exec();
    if (guard && !guard->m_answered) {
        guard->m_answered = true; // a late answer has nobody to go to
        // A question left unanswered goes away with the wait, rather than staying on the
        // screen for an answer that no longer counts.
        QDBusMessage close = QDBusMessage::createMethodCall(
            Portal::kService, guard->m_path, kRequestInterface, QStringLiteral("Close"));
        guard->m_bus.send(close);
        guard->deleteLater();
    }
    return response;
}
