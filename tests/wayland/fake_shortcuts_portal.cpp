#include "fake_shortcuts_portal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QMutexLocker>
#include <QTimer>

namespace {
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

QString SenderElement(const QString &sender)
{
    QString s = sender.mid(1);
    return s.replace(QLatin1Char('.'), QLatin1Char('_'));
}
} // namespace

QDBusArgument &operator<<(QDBusArgument &arg, const CFakeShortcutsPortal::Shortcut &shortcut)
{
    arg.beginStructure();
    arg << shortcut.id << shortcut.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, CFakeShortcutsPortal::Shortcut &shortcut)
{
    arg.beginStructure();
    arg >> shortcut.id >> shortcut.properties;
    arg.endStructure();
    return arg;
}

CFakeShortcutsPortal::CFakeShortcutsPortal()
{
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
}

QMap<QString, QString> CFakeShortcutsPortal::bound() const
{
    QMutexLocker lock(&m_mutex);
    return m_bound;
}

int CFakeShortcutsPortal::sessionsCreated() const
{
    QMutexLocker lock(&m_mutex);
    return m_sessions;
}

// The answer comes as the Response signal of the Request object, after the method's reply.
QDBusObjectPath CFakeShortcutsPortal::answerLater(const QVariantMap &options,
                                                  const QVariantMap &results)
{
    const QString handle = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                               .arg(SenderElement(message().service()),
                                    options.value(QStringLiteral("handle_token")).toString());
    const QString connection_name = connection().name();
    {
        QMutexLocker lock(&m_mutex);
        m_connectionName = connection_name;
    }
    QTimer::singleShot(0, this, [handle, results, connection_name] {
        QDBusMessage response = QDBusMessage::createSignal(
            handle, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << uint(0) << results;
        QDBusConnection(connection_name).send(response);
    });
    return QDBusObjectPath(handle);
}

QDBusObjectPath CFakeShortcutsPortal::CreateSession(const QVariantMap &options)
{
    const QString session =
        QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
            .arg(SenderElement(message().service()),
                 options.value(QStringLiteral("session_handle_token")).toString());
    {
        QMutexLocker lock(&m_mutex);
        ++m_sessions;
    }
    return answerLater(options, {{QStringLiteral("session_handle"), session}});
}

QDBusObjectPath CFakeShortcutsPortal::BindShortcuts(const QDBusObjectPath &session,
                                                    const QList<Shortcut> &shortcuts,
                                                    const QString &, const QVariantMap &options)
{
    QList<Shortcut> answer;
    QMap<QString, QString> bound;
    for (const Shortcut &s : shortcuts) {
        const QString trigger = s.properties.value(QStringLiteral("preferred_trigger")).toString();
        bound.insert(s.id, trigger);
        answer.append({s.id,
                       {{QStringLiteral("description"), s.properties.value("description")},
                        {QStringLiteral("trigger_description"), trigger}}});
    }
    {
        QMutexLocker lock(&m_mutex);
        m_bound = bound;
        m_boundSession = session.path();
    }
    return answerLater(options, {{QStringLiteral("shortcuts"), QVariant::fromValue(answer)}});
}

void CFakeShortcutsPortal::activate(const QString &id)
{
    QString session, connection_name;
    {
        QMutexLocker lock(&m_mutex);
        session = m_boundSession;
        connection_name = m_connectionName;
    }
    QDBusMessage activated =
        QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("Activated"));
    activated << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(0)
              << QVariantMap();
    QDBusConnection(connection_name).send(activated);
}
