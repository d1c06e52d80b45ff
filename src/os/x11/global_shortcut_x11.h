#pragma once

#include "os/global_shortcut_backend.h"

#include <QAbstractNativeEventFilter>

// Global hot keys on X11: a passive key grab on the root window per combination, taken on
// Qt's own connection so that the presses arrive among Qt's native events.
class X11GlobalShortcutBackend : public GlobalShortcutBackend, public QAbstractNativeEventFilter
{
public:
    X11GlobalShortcutBackend() = default;
    ~X11GlobalShortcutBackend() override;

    quint32 nativeKeycode(Qt::Key key) override;
    quint32 nativeModifiers(Qt::KeyboardModifiers modifiers) override;
    bool registerCombination(quint32 native_key, quint32 native_modifiers,
                             const Action &action) override;
    bool unregisterCombination(quint32 native_key, quint32 native_modifiers) override;
    void setPressHandler(PressHandler handler) override;

    bool nativeEventFilter(const QByteArray &event_type, void *message, long *result) override;

private:
    // Whether a native event is the press of a grabbed combination, and which one.
    static bool DecodeHotKeyPress(const QByteArray &event_type, void *message, quint32 *native_key,
                                  quint32 *native_modifiers);

    PressHandler m_handler;
};
