#pragma once

#include <QString>
#include <Qt>

#include <functional>

// What a desktop provides for global hot keys: X11 key grabs, or a portal that binds named
// actions. The operating-system layer hands out one per process (HotKeyBackend()). Native
// values are opaque to the caller; key code 0 means "no such key".
class GlobalShortcutBackend
{
public:
    // What a desktop that lists the hot keys of a program shows for one of them.
    struct Action
    {
        QString id;          // stable across runs, so the desktop keeps the user's choice
        QString description; // what it does, for the user
    };
    using PressHandler = std::function<void(quint32 native_key, quint32 native_modifiers)>;

    virtual ~GlobalShortcutBackend() = default;

    virtual quint32 nativeKeycode(Qt::Key key) = 0;
    virtual quint32 nativeModifiers(Qt::KeyboardModifiers modifiers) = 0;
    // Takes the combination for this process; false when the desktop or another program
    // refuses it, or the desktop has no global hot keys.
    virtual bool registerCombination(quint32 native_key, quint32 native_modifiers,
                                     const Action &action) = 0;
    virtual bool unregisterCombination(quint32 native_key, quint32 native_modifiers) = 0;
    // Every press of a registered combination is handed to `handler` from now on; an empty
    // handler stops the delivery.
    virtual void setPressHandler(PressHandler handler) = 0;
    // An action without a key of the program's, which a desktop that binds named actions
    // still lists, so the user can give it one there; presses reach `handler`. Backends
    // that grab keys have nothing to offer for it.
    virtual void declareAction(const Action &, std::function<void()>) {}
    virtual void withdrawAction(const QString &) {}
};

// The backend of the desktop the application runs on; created on first use, lives until
// the process ends.
GlobalShortcutBackend *HotKeyBackend();
