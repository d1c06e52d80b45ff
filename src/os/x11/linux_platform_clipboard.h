#pragma once

#include "os/clipboard_abstract.h"

#include <QTimer>

#include <functional>
#include <memory>

class CXFixesSelectionFilter;
class X11SelectionReader;
struct SelectionContents;

// X11 clipboard watcher. Every change of the clipboard's owner advances a sequence counter;
// `changed` is emitted on the next turn of the event loop, never inside a clipboard write,
// so a caller that connects and then runs a local event loop cannot miss it. The first
// check after construction (on the next turn, or once the first read came back) always
// emits.
//
// Where the X server has XFixes, its selection events are counted directly (a native event
// filter), and QClipboard's own change signals are silenced (see the constructor). Without
// XFixes the toolkit only hears of changes that take the clipboard away from this program:
// the watcher then follows QClipboard::changed and is given `poll_owner`, which reads the
// clipboard's owner from the X server, and a 200 ms timer advances the counter whenever
// another program has become the owner. With XFixes `poll_owner` stays null and nothing
// wakes the process while the clipboard is quiet.
//
// With XFixes, another program's contents are read off the interface thread, on a
// connection of the reader's own (X11SelectionReader): the counter moves, and `changed` is
// emitted, once the read has come back, and mimeData() hands out what it brought. A read
// still running when the owner changes again is given up. The program's own contents are
// the toolkit's, as before.
class LinuxPlatformClipboard : public CClipboardAbstract
{
    Q_OBJECT
public:
    using OwnerProbe = std::function<quint64()>;

    explicit LinuxPlatformClipboard(OwnerProbe poll_owner = OwnerProbe(),
                                    QObject *parent = nullptr);
    ~LinuxPlatformClipboard() override;

    const QMimeData *mimeData() const override;
    qint64 sequenceNumber() const override { return qint64(m_sequence); }
    bool isPolling() const { return m_pollTimer.isActive(); }
    QStringList ownerNames() const override;

private slots:
    void checkClipboard();

private:
    void onSystemClipboardChanged(QClipboard::Mode mode);
    void countChange();
    void onOwnerChanged();
    void onReadDone(quint64 serial, const SelectionContents &contents);
    void pollOwner();

    quint64 m_sequence = 0;
    qint64 m_lastSeen = -1;
    OwnerProbe m_pollOwner;
    quint64 m_lastOwner = 0;
    QTimer m_pollTimer;
    std::unique_ptr<CXFixesSelectionFilter> m_selectionEvents;
    std::unique_ptr<X11SelectionReader> m_reader;
    quint64 m_readSerial = 0;
    // What the last read of another program's contents brought; null while a read runs.
    std::unique_ptr<QMimeData> m_snapshot;
};
