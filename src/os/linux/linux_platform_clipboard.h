#pragma once

#include "os/clipboard_abstract.h"

#include <QTimer>

// X11 clipboard watcher. Every QClipboard::changed(Clipboard) (XFixes selection events in
// the xcb plugin) advances a sequence counter; `changed` is emitted on the next turn of the
// event loop, never inside a clipboard write, so a caller that connects and then runs a
// local event loop cannot miss it. A 200 ms poll of the counter is the safety net and
// always emits once right after start.
class LinuxPlatformClipboard : public CClipboardAbstract
{
    Q_OBJECT
public:
    explicit LinuxPlatformClipboard(QObject *parent = nullptr);

    quint64 sequenceNumber() const { return m_sequence; }

private slots:
    void checkClipboard();

private:
    void onSystemClipboardChanged(QClipboard::Mode mode);

    quint64 m_sequence = 0;
    qint64 m_lastSeen = -1;
    QTimer m_pollTimer;
};
