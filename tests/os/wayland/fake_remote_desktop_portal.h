#pragma once

#include "fake_portal.h"

#include <QMutex>
#include <QStringList>

// The RemoteDesktop interface of a desktop portal, as a test's own service: it grants (or,
// as a user may, refuses) the devices asked for, and records every call in order, key events
// included, as text: "CreateSession", "SelectDevices types=1", "Start", "key 0xffe3 down".
class CFakeRemoteDesktopPortal : public CFakePortal
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.RemoteDesktop")
    Q_PROPERTY(uint version READ version)
    Q_PROPERTY(uint AvailableDeviceTypes READ availableDeviceTypes)
public:
    // `start_response` is what Start answers: 0 granted, 1 refused by the user.
    explicit CFakeRemoteDesktopPortal(uint start_response);
    uint version() const { return 1; }
    uint availableDeviceTypes() const { return kKeyboard | kPointer; }

    QStringList calls() const;

public slots:
    QDBusObjectPath CreateSession(const QVariantMap &options);
    QDBusObjectPath SelectDevices(const QDBusObjectPath &session, const QVariantMap &options);
    QDBusObjectPath Start(const QDBusObjectPath &session, const QString &parent_window,
                          const QVariantMap &options);
    void NotifyKeyboardKeysym(const QDBusObjectPath &session, const QVariantMap &options,
                              int keysym, uint state);

private:
    static constexpr uint kKeyboard = 1;
    static constexpr uint kPointer = 2;

    void record(const QString &call);
    // Rejects the call when it names no session this portal started; true then.
    bool rejectUnknownSession(const QDBusObjectPath &session, bool started);

    const uint m_startResponse;
    mutable QMutex m_mutex;
    QStringList m_calls;
    QString m_session;
    bool m_started = false;
};
