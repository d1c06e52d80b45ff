#pragma once

#include "fake_portal.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QMutex>
#include <QVariantMap>

// The GlobalShortcuts interface of a desktop portal, as a test's own service: it binds
// every shortcut asked for with its preferred trigger (no user to ask), records what it was
// asked, and activates a bound shortcut when the test says so. Runs in a thread of its own
// (ThreadedBusService); the test's thread reads it through the locked accessors.
class CFakeShortcutsPortal : public CFakePortal
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)
public:
    struct Shortcut
    {
        QString id;
        QVariantMap properties;
    };

    CFakeShortcutsPortal();
    uint version() const { return 1; }

    // id -> preferred trigger of the shortcuts of the latest binding.
    QMap<QString, QString> bound() const;
    int sessionsCreated() const;
    // Emits Activated for the shortcut in the session it was bound in.
    void activate(const QString &id);

public slots:
    QDBusObjectPath CreateSession(const QVariantMap &options);
    QDBusObjectPath BindShortcuts(const QDBusObjectPath &session,
                                  const QList<CFakeShortcutsPortal::Shortcut> &shortcuts,
                                  const QString &parent_window, const QVariantMap &options);

private:
    mutable QMutex m_mutex;
    QMap<QString, QString> m_bound;
    QString m_boundSession;
    int m_sessions = 0;
};

Q_DECLARE_METATYPE(CFakeShortcutsPortal::Shortcut)
Q_DECLARE_METATYPE(QList<CFakeShortcutsPortal::Shortcut>)
