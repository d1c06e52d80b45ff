#include "fake_shortcuts_portal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QMutexLocker>

namespace {
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
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

QDBusObjectPath CFakeShortcutsPortal::CreateSession(const QVariantMap &options)
{
    const QString session = sessionPath(options);
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
    QString session;
    {
        QMutexLocker lock(&m_mutex);
        session = m_boundSession;
    }
    QDBusMessage activated = QDBusMessage::createSignal(QString::fromLatin1(kPath), kInterface,
                                                        QStringLiteral("Activated"));
    activated << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(0)
              << QVariantMap();
    QDBusConnection(connectionName()).send(activated);
}
