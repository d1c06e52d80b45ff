#include "os/wayland/desktop_notice.h"

#include "os/os_logging.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QStringList>

namespace DesktopNotice {

void Show(const QString &text, int timeout_ms)
{
    qCWarning(lcOs).noquote() << "notice:" << text;
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    notify << QCoreApplication::applicationName() << uint(0) << QString()
           << QGuiApplication::applicationDisplayName() << text << QStringList() << QVariantMap()
           << timeout_ms;
    // Nobody waits for the answer: a missing service must not hold the program up.
    QDBusConnection::sessionBus().send(notify);
}

} // namespace DesktopNotice
