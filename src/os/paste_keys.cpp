#include "os/paste_keys.h"

#include "os/os_logging.h"

#include <QKeySequence>
#include <QString>
#include <QStringList>

namespace {
constexpr Qt::KeyboardModifiers kModifierMask =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

// Window classes and app ids in lower case. Terminals that paste with Ctrl+Shift+V:
const char *const kCtrlShiftV[] = {"gnome-terminal",
                                   "gnome-terminal-server",
                                   "org.gnome.terminal",
                                   "org.gnome.console",
                                   "kgx",
                                   "konsole",
                                   "org.kde.konsole",
                                   "xfce4-terminal",
                                   "kitty",
                                   "alacritty",
                                   "terminator",
                                   "tilix",
                                   "com.gexperts.tilix",
                                   "mate-terminal",
                                   "lxterminal",
                                   "qterminal",
                                   "terminology",
                                   "sakura",
                                   "guake",
                                   "tilda",
                                   "st",
                                   "st-256color",
                                   "foot",
                                   "footclient",
                                   "wezterm",
                                   "org.wezfurlong.wezterm",
                                   "deepin-terminal",
                                   "io.elementary.terminal",
                                   "roxterm",
                                   "cool-retro-term"};
// The xterm family pastes the primary selection with Shift+Insert:
const char *const kShiftInsert[] = {"xterm",        "uxterm", "urxvt", "rxvt",
                                    "rxvt-unicode", "aterm",  "eterm"};

template <size_t N> bool Listed(const char *const (&table)[N], const QString &name)
{
    for (const char *entry : table) {
        if (name == QLatin1String(entry))
            return true;
    }
    return false;
}

bool ParseKeys(const QString &text, PasteKeys *keys)
{
    const QKeySequence seq = QKeySequence::fromString(text.trimmed(), QKeySequence::PortableText);
    if (seq.count() != 1)
        return false;
    const int combined = seq[0];
    const auto key = Qt::Key(combined & ~int(kModifierMask));
    if (key == 0 || key == Qt::Key_unknown)
        return false;
    keys->key = key;
    keys->modifiers = Qt::KeyboardModifiers(combined & int(kModifierMask));
    return true;
}
} // namespace

PasteKeys PasteKeysForWindowClass(const QString &instance, const QString &klass,
                                  const QString &overrides)
{
    const QString names[] = {instance.toLower(), klass.toLower()};
    // Every entry is read, so that each unreadable one is reported whatever the window.
    const QStringList entries = overrides.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    bool overridden = false;
    PasteKeys user_keys;
    for (const QString &entry : entries) {
        const int eq = entry.indexOf(QLatin1Char('='));
        const QString name = entry.left(eq).trimmed().toLower();
        PasteKeys keys;
        if (eq <= 0 || name.isEmpty() || !ParseKeys(entry.mid(eq + 1), &keys)) {
            qCWarning(lcOs) << "paste keys: cannot read" << entry;
            continue;
        }
        for (const QString &n : names) {
            if (!overridden && n == name) {
                overridden = true;
                user_keys = keys;
            }
        }
    }
    if (overridden)
        return user_keys;
    PasteKeys keys;
    for (const QString &n : names) {
        if (Listed(kCtrlShiftV, n)) {
            keys.modifiers = Qt::ControlModifier | Qt::ShiftModifier;
            return keys;
        }
        if (Listed(kShiftInsert, n)) {
            keys.key = Qt::Key_Insert;
            keys.modifiers = Qt::ShiftModifier;
            return keys;
        }
    }
    return keys;
}
