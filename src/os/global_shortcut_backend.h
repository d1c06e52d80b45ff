#pragma once

#include <QByteArray>
#include <Qt>

// What a platform provides for global hot keys (implemented once per backend, chosen in
// CMake). Native values are opaque to the caller; key code 0 means "no such key".
namespace GlobalShortcutBackend {
quint32 NativeKeycode(Qt::Key key);
quint32 NativeModifiers(Qt::KeyboardModifiers modifiers);
// Grabs the combination for this process; false when the system or another program
// refuses it.
bool Register(quint32 native_key, quint32 native_modifiers);
bool Unregister(quint32 native_key, quint32 native_modifiers);
// Whether a native event is the press of a grabbed combination, and which one.
bool DecodeHotKeyPress(const QByteArray &event_type, void *message, quint32 *native_key,
                       quint32 *native_modifiers);
} // namespace GlobalShortcutBackend
