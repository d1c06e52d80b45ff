#include "os/global_shortcut.h"

#include "os/global_shortcut_backend.h"
#include "os/os_logging.h"

#include <QHash>
#include <QPair>

namespace {
constexpr int kModifierBits =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
using NativeCombination = QPair<quint32, quint32>; // key code, modifier mask
} // namespace

class QxtGlobalShortcutPrivate
{
public:
    explicit QxtGlobalShortcutPrivate(QxtGlobalShortcut *q);
    ~QxtGlobalShortcutPrivate();

    NativeCombination native() const;
    // A press of the hot key reached the program: `activated` unless disabled.
    void press();
    static void Press(QxtGlobalShortcut *shortcut) { shortcut->d->press(); }
    QKeySequence sequence() const { return QKeySequence(int(m_key) | int(m_modifiers)); }

    // Every registered combination of the process and the shortcut that holds it.
    static QHash<NativeCombination, QxtGlobalShortcut *> s_shortcuts;

    QxtGlobalShortcut *m_q;
    bool m_enabled = true;
    Qt::Key m_key = Qt::Key(0);
    Qt::KeyboardModifiers m_modifiers;
    QString m_description;
};

QHash<NativeCombination, QxtGlobalShortcut *> QxtGlobalShortcutPrivate::s_shortcuts;

namespace {
int g_liveShortcuts = 0;

// One handler serves every shortcut through the table, so shortcuts may go in any order.
void OnHotKeyPress(quint32 key, quint32 modifiers)
{
    QxtGlobalShortcut *shortcut =
        QxtGlobalShortcutPrivate::s_shortcuts.value(NativeCombination(key, modifiers));
    if (shortcut)
        QxtGlobalShortcutPrivate::Press(shortcut);
}
} // namespace

QxtGlobalShortcutPrivate::QxtGlobalShortcutPrivate(QxtGlobalShortcut *q) : m_q(q)
{
    if (g_liveShortcuts++ == 0)
        HotKeyBackend()->setPressHandler(OnHotKeyPress);
}

QxtGlobalShortcutPrivate::~QxtGlobalShortcutPrivate()
{
    if (--g_liveShortcuts == 0)
        HotKeyBackend()->setPressHandler(nullptr);
}

NativeCombination QxtGlobalShortcutPrivate::native() const
{
    GlobalShortcutBackend *backend = HotKeyBackend();
    return NativeCombination(backend->nativeKeycode(m_key), backend->nativeModifiers(m_modifiers));
}

QxtGlobalShortcut::QxtGlobalShortcut(QObject *parent)
    : QObject(parent), d(std::make_unique<QxtGlobalShortcutPrivate>(this))
{
}

QxtGlobalShortcut::~QxtGlobalShortcut()
{
    // Only a registered combination is released; a failed one has nothing to give back.
    if (QxtGlobalShortcutPrivate::s_shortcuts.value(d->native()) == this)
        releaseShortcut();
    if (!objectName().isEmpty())
        HotKeyBackend()->withdrawAction(objectName());
}

QKeySequence QxtGlobalShortcut::shortcut() const
{
    return d->m_key == 0 ? QKeySequence() : d->sequence();
}

bool QxtGlobalShortcut::setShortcut(const QKeySequence &shortcut)
{
    if (d->m_key != 0)
        releaseShortcut();
    if (shortcut.isEmpty()) {
        // A disabled shortcut is not offered either: the user turned the hot keys off.
        if (!objectName().isEmpty() && !isEnabled())
            HotKeyBackend()->withdrawAction(objectName());
        else if (!objectName().isEmpty())
            HotKeyBackend()->declareAction({objectName(), d->m_description},
                                           [this] { d->press(); });
        return true;
    }
    if (!objectName().isEmpty())
        HotKeyBackend()->withdrawAction(objectName());
    const int first = shortcut[0];
    d->m_key = Qt::Key(first & ~kModifierBits);
    d->m_modifiers = Qt::KeyboardModifiers(first & kModifierBits);
    const NativeCombination native = d->native();
    // A combination another shortcut of this program holds counts as taken, as it does
    // when another program holds it; keys without a native code register nothing.
    const bool ok = native.first != 0 && !QxtGlobalShortcutPrivate::s_shortcuts.contains(native) &&
                    HotKeyBackend()->registerCombination(native.first, native.second,
                                                         {objectName(), d->m_description});
    if (ok)
        QxtGlobalShortcutPrivate::s_shortcuts.insert(native, this);
    else
        qCWarning(lcOs).noquote() << "QxtGlobalShortcut failed to register:"
                                  << d->sequence().toString(QKeySequence::PortableText);
    return ok;
}

bool QxtGlobalShortcut::releaseShortcut()
{
    const NativeCombination native = d->native();
    bool ok = false;
    if (QxtGlobalShortcutPrivate::s_shortcuts.value(native) == this &&
        HotKeyBackend()->unregisterCombination(native.first, native.second)) {
        QxtGlobalShortcutPrivate::s_shortcuts.remove(native);
        ok = true;
    }
    if (!ok)
        qCWarning(lcOs).noquote() << "QxtGlobalShortcut failed to unregister:"
                                  << d->sequence().toString(QKeySequence::PortableText);
    d->m_key = Qt::Key(0);
    d->m_modifiers = Qt::NoModifier;
    return ok;
}

void QxtGlobalShortcut::setDescription(const QString &description)
{
    d->m_description = description;
}

QString QxtGlobalShortcut::description() const
{
    return d->m_description;
}

void QxtGlobalShortcutPrivate::press()
{
    qCDebug(lcOs) << "hot key pressed:" << m_q->objectName() << "enabled" << m_enabled;
    if (m_enabled)
        emit m_q->activated();
}

bool QxtGlobalShortcut::isEnabled() const
{
    return d->m_enabled;
}

void QxtGlobalShortcut::setEnabled(bool enabled)
{
    d->m_enabled = enabled;
}

void QxtGlobalShortcut::setDisabled(bool disabled)
{
    d->m_enabled = !disabled;
}
