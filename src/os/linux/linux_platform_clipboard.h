#pragma once

#include "os/clipboard_abstract.h"

#include <QTimer>

#include <memory>

class CXFixesSelectionFilter;

// X11 clipboard watcher. Every change of the clipboard's owner that the X server announces
// (XFixes selection events; without XFixes, every QClipboard::changed(Clipboard)) advances a
// sequence counter; `changed` is emitted on the next turn of the event loop, never inside a
// clipboard write, so a caller that connects and then runs a local event loop cannot miss
// it. A 200 ms poll of the counter is the safety net and always emits once right after
// start.
class LinuxPlatformClipboard : public CClipboardAbstract
{
    Q_OBJECT
public:
    explicit LinuxPlatformClipboard(QObject *parent = nullptr);
    ~LinuxPlatformClipboard() override;

    qint64 sequenceNumber() const override { return qint64(m_sequence); }

private slots:
    void checkClipboard();

private:
    void onSystemClipboardChanged(QClipboard::Mode mode);
    void countChange();

    quint64 m_sequence = 0;
    qint64 m_lastSeen = -1;
    QTimer m_pollTimer;
    std::unique_ptr<CXFixesSelectionFilter> m_selectionEvents;
};
