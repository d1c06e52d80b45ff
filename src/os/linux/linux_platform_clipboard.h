#pragma once

#include "os/clipboard_abstract.h"

#include <QTimer>

#include <functional>

// X11 clipboard watcher. Every QClipboard::changed(Clipboard) (XFixes selection events in
// the xcb plugin) advances a sequence counter; `changed` is emitted on the next turn of the
// event loop, never inside a clipboard write, so a caller that connects and then runs a
// local event loop cannot miss it. The first check, on the next turn after construction,
// always emits.
//
// Without XFixes the plugin only hears of changes that take the clipboard away from this
// program. For that case the watcher is given `poll_owner`, which reads the clipboard's
// owner from the X server: a 200 ms timer then advances the counter whenever another
// program has become the owner. With XFixes it stays null and nothing wakes the process
// while the clipboard is quiet.
class LinuxPlatformClipboard : public CClipboardAbstract
{
    Q_OBJECT
public:
    using OwnerProbe = std::function<quint64()>;

    explicit LinuxPlatformClipboard(OwnerProbe poll_owner = OwnerProbe(),
                                    QObject *parent = nullptr);

    quint64 sequenceNumber() const { return m_sequence; }
    bool isPolling() const { return m_pollTimer.isActive(); }

private slots:
    void checkClipboard();

private:
    void onSystemClipboardChanged(QClipboard::Mode mode);
    void pollOwner();

    quint64 m_sequence = 0;
    qint64 m_lastSeen = -1;
    OwnerProbe m_pollOwner;
    quint64 m_lastOwner = 0;
    QTimer m_pollTimer;
};
