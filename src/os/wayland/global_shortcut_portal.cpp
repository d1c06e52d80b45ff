#include "os/wayland/global_shortcut_portal.h"

#include "os/linux/keysym_table.h"
#include "os/os_logging.h"
#include "os/wayland/desktop_notice.h"
#include "os/wayland/portal_request.h"
#include "os/wayland/tray_presence.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QSet>
#include <QTimer>

#include <xkbcommon/xkbcommon.h>

namespace {
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
constexpr int kNoticeMs = 10000;

// One entry of the portal's a(sa{sv}) lists of shortcuts.
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};
using PortalShortcutList = QList<PortalShortcut>;

QDBusArgument &operator<<(QDBusArgument &arg, const PortalShortcut &shortcut)
{
    arg.beginStructure();
    arg << shortcut.id << shortcut.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, PortalShortcut &shortcut)
{
    arg.beginStructure();
    arg >> shortcut.id >> shortcut.properties;
    arg.endStructure();
    return arg;
}
} // namespace

Q_DECLARE_METATYPE(PortalShortcut)
Q_DECLARE_METATYPE(PortalShortcutList)

namespace {
// The session handle comes as a string, as the interface documents it, or from some
// desktops as an object path.
QString SessionHandle(const QVariantMap &results)
{
    const QVariant value = results.value(QStringLiteral("session_handle"));
    if (value.userType() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

PortalShortcutList BoundShortcuts(const QVariantMap &results)
{
    PortalShortcutList bound;
    const QVariant value = results.value(QStringLiteral("shortcuts"));
    if (value.userType() == qMetaTypeId<QDBusArgument>())
        value.value<QDBusArgument>() >> bound;
    return bound;
}

// What a list of shortcuts asks for, comparable between bindings.
QString Fingerprint(const QVariant &shortcuts)
{
    QStringList parts;
    for (const PortalShortcut &shortcut : shortcuts.value<PortalShortcutList>())
        parts << shortcut.id + QLatin1Char('=') +
                     shortcut.properties.value(QStringLiteral("preferred_trigger")).toString();
    parts.sort();
    return parts.join(QLatin1Char(';'));
}

void TellHotKeysMissing(const QDBusConnection &bus)
{
    static bool told = false;
    if (told)
        return;
    told = true;
    // Without a tray the icon would not be there to open anything from.
    DesktopNotice::Show(
        TrayPresence::HostPresent(bus)
            ? QCoreApplication::translate("Global", "This desktop gives programs no global hot "
                                                    "keys; open the windows from the tray icon.")
            : QCoreApplication::translate(
                  "Global", "This desktop gives programs no global hot keys and shows no tray "
                            "icons. To open the windows, add a key binding in the desktop's "
                            "keyboard settings that runs \"tolvane quick-paste\" or \"tolvane "
                            "show\"."),
        kNoticeMs);
}
} // namespace

CPortalGlobalShortcuts::CPortalGlobalShortcuts(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcutList>();
    m_bus.connect(Portal::kService, Portal::kPath, kInterface, QStringLiteral("Activated"), this,
                  SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

CPortalGlobalShortcuts::~CPortalGlobalShortcuts()
{
    closeSession();
}

QString CPortalGlobalShortcuts::PreferredTrigger(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    const unsigned long keysym = KeysymTable::Keysym(key);
    char name[64] = {};
    if (keysym == 0 || xkb_keysym_get_name(xkb_keysym_t(keysym), name, sizeof name) <= 0)
        return QString();
    QStringList parts;
    if (modifiers & Qt::ControlModifier)
        parts << QStringLiteral("CTRL");
    if (modifiers & Qt::AltModifier)
        parts << QStringLiteral("ALT");
    if (modifiers & Qt::ShiftModifier)
        parts << QStringLiteral("SHIFT");
    if (modifiers & Qt::MetaModifier)
        parts << QStringLiteral("LOGO");
    parts << QString::fromLatin1(name);
    return parts.join(QLatin1Char('+'));
}

quint32 CPortalGlobalShortcuts::nativeKeycode(Qt::Key key)
{
    return KeysymTable::Keysym(key) != 0 ? quint32(key) : 0;
}

quint32 CPortalGlobalShortcuts::nativeModifiers(Qt::KeyboardModifiers modifiers)
{
    return quint32(modifiers &
                   (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

bool CPortalGlobalShortcuts::portalPresent()
{
    if (m_present < 0) {
        m_present = Portal::Offers(m_bus, kInterface) ? 1 : 0;
        if (!m_present)
            qCWarning(lcOs) << "the desktop portal has no" << kInterface;
    }
    return m_present == 1;
}

bool CPortalGlobalShortcuts::registerCombination(quint32 native_key, quint32 native_modifiers,
                                                 const Action &action)
{
    if (!portalPresent()) {
        TellHotKeysMissing(m_bus);
        return false;
    }
    Binding binding{action, PreferredTrigger(Qt::Key(native_key),
                                             Qt::KeyboardModifiers(int(native_modifiers)))};
    if (binding.action.id.isEmpty())
        binding.action.id = binding.trigger;
    if (binding.action.description.isEmpty())
        binding.action.description = binding.trigger;
    m_bindings.insert(Combination(native_key, native_modifiers), binding);
    scheduleBinding();
    return true;
}

bool CPortalGlobalShortcuts::unregisterCombination(quint32 native_key, quint32 native_modifiers)
{
    if (m_bindings.remove(Combination(native_key, native_modifiers)) == 0)
        return false;
    scheduleBinding();
    return true;
}

void CPortalGlobalShortcuts::setPressHandler(PressHandler handler)
{
    m_handler = std::move(handler);
}

// The controller sets its hot keys one after another: they are bound together once it is
// done, in one question to the user rather than three.
void CPortalGlobalShortcuts::scheduleBinding()
{
    if (m_bindingScheduled)
        return;
    m_bindingScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_bindingScheduled = false;
        bindAll();
    });
}

QVariant CPortalGlobalShortcuts::shortcutList() const
{
    PortalShortcutList shortcuts;
    auto add = [&shortcuts](const Action &action, const QString &trigger) {
        // An empty trigger still names the action, so the desktop lists it for a key.
        shortcuts.append({action.id,
                          {{QStringLiteral("description"), action.description},
                           {QStringLiteral("preferred_trigger"), trigger}}});
    };
    for (const Binding &b : qAsConst(m_bindings))
        add(b.action, b.trigger);
    for (const Keyless &k : qAsConst(m_keyless))
        add(k.action, QString());
    return QVariant::fromValue(shortcuts);
}

QVariantMap CPortalGlobalShortcuts::CreateSessionOptions(const QVariant &shortcuts)
{
    // The same token each time: Plasma names the program's set of hot keys after it, so a
    // new binding replaces the set instead of adding another. Plasma 5.27 takes the
    // shortcuts from here only, and answers BindShortcuts with an empty list otherwise.
    return {{QStringLiteral("session_handle_token"), QStringLiteral("tolvane")},
            {QStringLiteral("shortcuts"), shortcuts}};
}

void CPortalGlobalShortcuts::bindAll()
{
    // Version 1 of the interface binds once per session.
    closeSession();
    const int generation = ++m_generation;
    if (m_bindings.isEmpty() && m_keyless.isEmpty())
        return;
    const QVariant shortcuts = shortcutList();
    auto *create = new CPortalRequest(m_bus, kInterface, QStringLiteral("CreateSession"), {},
                                      CreateSessionOptions(shortcuts), this);
    connect(create, &CPortalRequest::sigAnswered, this,
            [this, generation, shortcuts](uint response, const QVariantMap &results) {
                if (generation != m_generation)
                    return;
                m_session = SessionHandle(results);
                if (response != CPortalRequest::kSuccess || m_session.isEmpty()) {
                    qCWarning(lcOs) << "hot keys: no portal session" << response;
                    m_session.clear();
                    tellBound(QVariantMap());
                    return;
                }
                // Plasma binds at CreateSession already and answers with the keys; its
                // BindShortcuts opens its keyboard settings, which is for a user who changed
                // a key, not for every start.
                const QString asked = Fingerprint(shortcuts);
                const bool changed = !m_asked.isEmpty() && m_asked != asked;
                m_asked = asked;
                if (!changed && BindsAll(results, shortcuts)) {
                    tellBound(results);
                    return;
                }
                bindShortcuts(generation, shortcuts);
            });
}

void CPortalGlobalShortcuts::bindShortcuts(int generation, const QVariant &shortcuts)
{
    auto *bind = new CPortalRequest(
        m_bus, kInterface, QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(m_session)), shortcuts, QString()}, {}, this);
    connect(bind, &CPortalRequest::sigAnswered, this,
            [this, generation](uint bound, const QVariantMap &results) {
                if (generation != m_generation)
                    return;
                if (bound != CPortalRequest::kSuccess)
                    qCWarning(lcOs) << "hot keys: the desktop did not bind them" << bound;
                tellBound(bound == CPortalRequest::kSuccess ? results : QVariantMap());
            });
}

bool CPortalGlobalShortcuts::BindsAll(const QVariantMap &results, const QVariant &asked)
{
    QSet<QString> bound;
    for (const PortalShortcut &shortcut : BoundShortcuts(results))
        bound.insert(shortcut.id);
    for (const PortalShortcut &shortcut : asked.value<PortalShortcutList>())
        if (!bound.contains(shortcut.id))
            return false;
    return true;
}

QStringList CPortalGlobalShortcuts::BoundKeys(const QVariantMap &results,
                                              const QList<Action> &actions)
{
    QHash<QString, QString> triggers; // id -> what the desktop shows for the key
    for (const PortalShortcut &shortcut : BoundShortcuts(results)) {
        triggers.insert(
            shortcut.id,
            shortcut.properties.value(QStringLiteral("trigger_description")).toString());
        qCDebug(lcOs) << "hot key" << shortcut.id << "bound to" << triggers.value(shortcut.id);
    }
    QStringList lines;
    for (const Action &action : actions) {
        const QString trigger = triggers.value(action.id);
        lines << QStringLiteral("%1: %2").arg(
            action.description,
            trigger.isEmpty() ? QCoreApplication::translate("Global", "no key") : trigger);
    }
    return lines;
}

// The desktop may bind other keys than asked for, or none: the user learns which.
void CPortalGlobalShortcuts::tellBound(const QVariantMap &results)
{
    QList<Action> actions;
    for (const Binding &b : qAsConst(m_bindings))
        actions << b.action;
    for (const Keyless &k : qAsConst(m_keyless))
        actions << k.action;
    std::sort(actions.begin(), actions.end(),
              [](const Action &a, const Action &b) { return a.id < b.id; });
    const QStringList lines = BoundKeys(results, actions);
    QStringList bound;
    for (const PortalShortcut &shortcut : BoundShortcuts(results))
        bound << shortcut.id;
    emit sigBound(bound);
    const QString text = QCoreApplication::translate("Global", "Hot keys set by the desktop:") +
                         QLatin1Char('\n') + lines.join(QLatin1Char('\n'));
    if (text == m_toldBound)
        return;
    m_toldBound = text;
    DesktopNotice::Show(text, kNoticeMs);
}

void CPortalGlobalShortcuts::closeSession()
{
    if (m_session.isEmpty())
        return;
    QDBusMessage close = QDBusMessage::createMethodCall(
        Portal::kService, m_session, QStringLiteral("org.freedesktop.portal.Session"),
        QStringLiteral("Close"));
    m_bus.send(close);
    m_session.clear();
}

void CPortalGlobalShortcuts::onActivated(const QDBusObjectPath &session, const QString &id,
                                         qulonglong, const QVariantMap &)
{
    if (session.path() != m_session)
        return;
    for (auto it = m_bindings.cbegin(); it != m_bindings.cend(); ++it) {
        if (it.value().action.id == id && m_handler) {
            m_handler(it.key().first, it.key().second);
            return;
        }
    }
    const auto keyless = m_keyless.constFind(id);
    if (keyless != m_keyless.cend() && keyless->handler)
        keyless->handler();
}

void CPortalGlobalShortcuts::declareAction(const Action &action, std::function<void()> handler)
{
    if (action.id.isEmpty())
        return;
    m_keyless.insert(action.id, {action, std::move(handler)});
    if (portalPresent())
        scheduleBinding();
}

void CPortalGlobalShortcuts::withdrawAction(const QString &id)
{
    if (m_keyless.remove(id) > 0)
        scheduleBinding();
}
