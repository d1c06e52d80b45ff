#pragma once

#include "os/global_shortcut_backend.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QHash>
#include <QObject>
#include <QPair>

// Global hot keys through the GlobalShortcuts interface of xdg-desktop-portal, for Wayland
// compositors, which let no program grab keys. The program names its actions with a
// preferred trigger each; the desktop binds them (it may ask the user, who may choose other
// keys) and reports each activation. A change of the set binds it anew in a fresh session.
// Native values are the Qt key and the Qt modifier bits.
class CPortalGlobalShortcuts : public QObject, public GlobalShortcutBackend
{
    Q_OBJECT
public:
    explicit CPortalGlobalShortcuts(const QDBusConnection &bus, QObject *parent = nullptr);
    ~CPortalGlobalShortcuts() override;

    quint32 nativeKeycode(Qt::Key key) override;
    quint32 nativeModifiers(Qt::KeyboardModifiers modifiers) override;
    bool registerCombination(quint32 native_key, quint32 native_modifiers,
                             const Action &action) override;
    bool unregisterCombination(quint32 native_key, quint32 native_modifiers) override;
    void setPressHandler(PressHandler handler) override;
    void declareAction(const Action &action, std::function<void()> handler) override;
    void withdrawAction(const QString &id) override;

    // The trigger text of the freedesktop shortcuts format ("CTRL+ALT+c"); empty for keys that
    // cannot be hot keys.
    static QString PreferredTrigger(Qt::Key key, Qt::KeyboardModifiers modifiers);
    // The options of CreateSession for these shortcuts (a(sa{sv})).
    static QVariantMap CreateSessionOptions(const QVariant &shortcuts);
    // One line per action, "description: key" as the desktop's answer to a binding shows it
    // ("no key" where it bound none).
    static QStringList BoundKeys(const QVariantMap &results, const QList<Action> &actions);
    // Whether an answer lists every shortcut of `asked` (as CreateSessionOptions took it).
    static bool BindsAll(const QVariantMap &results, const QVariant &asked);

signals:
    // The desktop answered a binding; `bound` lists the actions it bound.
    void sigBound(const QStringList &bound);

private slots:
    void onActivated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp,
                     const QVariantMap &options);

private:
    using Combination = QPair<quint32, quint32>;
    struct Binding
    {
        Action action;
        QString trigger;
    };

    struct Keyless
    {
        Action action;
        std::function<void()> handler;
    };

    bool portalPresent();
    QVariant shortcutList() const;
    void bindShortcuts(int generation, const QVariant &shortcuts);
    void tellBound(const QVariantMap &results);
    void scheduleBinding();
    void bindAll();
    void closeSession();

    QDBusConnection m_bus;
    int m_present = -1; // unknown until asked
    bool m_bindingScheduled = false;
    QString m_session;
    int m_generation = 0; // answers for a session replaced meanwhile are dropped
    QHash<Combination, Binding> m_bindings;
    QHash<QString, Keyless> m_keyless; // id -> action the user may give a key in the desktop
    QString m_toldBound;
    QString m_asked; // what the latest binding asked for
    PressHandler m_handler;
};
