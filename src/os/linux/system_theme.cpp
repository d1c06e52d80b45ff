#include "os/linux/system_theme.h"

#include "os/os_logging.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QX11Info>

namespace {
// Start-up asks for the theme; a missing or stuck service must not hold it up.
constexpr int kDbusTimeoutMs = 500;
constexpr int kGsettingsTimeoutMs = 500;
constexpr uint kPreferDark = 1;
constexpr uint kPreferLight = 2;

// The portal's color-scheme: 0 no preference, 1 prefer dark, 2 prefer light; -1 when no
// portal answers.
int PortalColorScheme()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return -1;
    auto read = [&bus](const QString &method) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.portal.Desktop"),
            QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.Settings"), method);
        call << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme");
        return bus.call(call, QDBus::Block, kDbusTimeoutMs);
    };
    QDBusMessage reply = read(QStringLiteral("ReadOne"));
    // Portals older than version 2 only have Read, which wraps the value once more.
    if (reply.type() == QDBusMessage::ErrorMessage &&
        reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod"))
        reply = read(QStringLiteral("Read"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qCDebug(lcOs) << "no appearance portal:" << reply.errorName();
        return -1;
    }
    QVariant value = reply.arguments().constFirst();
    while (value.userType() == qMetaTypeId<QDBusVariant>())
        value = qvariant_cast<QDBusVariant>(value).variant();
    bool ok = false;
    const uint scheme = value.toUInt(&ok);
    return ok ? int(scheme) : -1;
}

bool GnomePrefersDark()
{
    const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (gsettings.isEmpty())
        return false;
    QProcess process;
    process.start(gsettings, {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.interface"),
                              QStringLiteral("color-scheme")});
    if (!process.waitForFinished(kGsettingsTimeoutMs)) {
        process.kill();
        process.waitForFinished(kGsettingsTimeoutMs);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 &&
           process.readAllStandardOutput().trimmed() == "'prefer-dark'";
}
} // namespace

bool SystemTheme::PrefersDark()
{
    // An explicit preference of the portal decides; "no preference" asks the desktop.
    const int scheme = PortalColorScheme();
    if (scheme == int(kPreferDark))
        return true;
    if (scheme == int(kPreferLight))
        return false;
    return GnomePrefersDark() || qEnvironmentVariable("GTK_THEME").endsWith(QLatin1String(":dark"));
}

void SystemTheme::ApplyStyleSheet(bool light)
{
    QFile css(light ? QStringLiteral("://def.css") : QStringLiteral("://dark.css"));
    if (!css.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    qApp->setStyleSheet(QString::fromUtf8(css.readAll()));
}

bool SystemTheme::CompositorRunning()
{
    return QX11Info::isPlatformX11() && QX11Info::isCompositingManagerRunning();
}
