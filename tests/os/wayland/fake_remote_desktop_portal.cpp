#include "fake_remote_desktop_portal.h"

#include <QDBusError>
#include <QMutexLocker>

CFakeRemoteDesktopPortal::CFakeRemoteDesktopPortal(uint start_response)
    : m_startResponse(start_response)
{
}

QStringList CFakeRemoteDesktopPortal::calls() const
{
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

void CFakeRemoteDesktopPortal::record(const QString &call)
{
    QMutexLocker lock(&m_mutex);
    m_calls << call;
}

bool CFakeRemoteDesktopPortal::rejectUnknownSession(const QDBusObjectPath &session, bool started)
{
    QMutexLocker lock(&m_mutex);
    if (session.path() == m_session && (!started || m_started))
        return false;
    m_calls << QStringLiteral("call on an unknown session %1").arg(session.path());
    sendErrorReply(QDBusError::AccessDenied, QStringLiteral("no such session"));
    return true;
}

QDBusObjectPath CFakeRemoteDesktopPortal::CreateSession(const QVariantMap &options)
{
    const QString session = sessionPath(options);
    {
        QMutexLocker lock(&m_mutex);
        m_session = session;
        m_started = false;
    }
    record(QStringLiteral("CreateSession"));
    return answerLater(options, {{QStringLiteral("session_handle"), session}});
}

QDBusObjectPath CFakeRemoteDesktopPortal::SelectDevices(const QDBusObjectPath &session,
                                                        const QVariantMap &options)
{
    if (rejectUnknownSession(session, false))
        return {};
    record(QStringLiteral("SelectDevices types=%1")
               .arg(options.value(QStringLiteral("types")).toUInt()));
    return answerLater(options, {});
}

QDBusObjectPath CFakeRemoteDesktopPortal::Start(const QDBusObjectPath &session, const QString &,
                                                const QVariantMap &options)
{
    if (rejectUnknownSession(session, false))
        return {};
    record(QStringLiteral("Start"));
    QVariantMap results;
    if (m_startResponse == 0) {
        QMutexLocker lock(&m_mutex);
        m_started = true;
        results.insert(QStringLiteral("devices"), kKeyboard);
    }
    return answerLater(options, results, m_startResponse);
}

void CFakeRemoteDesktopPortal::NotifyKeyboardKeysym(const QDBusObjectPath &session,
                                                    const QVariantMap &, int keysym, uint state)
{
    if (rejectUnknownSession(session, true))
        return;
    record(QStringLiteral("key 0x%1 %2")
               .arg(keysym, 0, 16)
               .arg(state == 1   ? QStringLiteral("down")
                    : state == 0 ? QStringLiteral("up")
                                 : QString::number(state)));
}
