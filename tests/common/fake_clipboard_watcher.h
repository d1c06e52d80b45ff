#pragma once

#include "os/clipboard_abstract.h"

#include <QImage>
#include <QMimeData>
#include <QStringList>

#include <memory>

// An in-memory clipboard for tests of capture, lists and write-back: put in place of the
// platform's watcher before anything asks for one, it keeps the contents itself instead of
// the system clipboard. As the platform watchers promise, `changed` follows writes on a
// later turn of the event loop (once for writes in the same turn); deliver() runs that
// notification at once, so a test need not wait for it.
class FakeClipboardWatcher : public CClipboardAbstract
{
    Q_OBJECT
public:
    // Creates the fake as a child of the application and hands it to the operating-system
    // layer; null when a watcher was already in place.
    static FakeClipboardWatcher *install();

    const QMimeData *mimeData() const override { return m_mime.get(); }
    // Moves with every change of the contents, as the platform watchers' counts do.
    qint64 sequenceNumber() const override { return m_changes; }

    // Another application copies: new contents without the program's markers.
    void copyFromOutside(QMimeData *mime);
    void copyTextFromOutside(const QString &text);
    // Emits the pending change notification now; false when none was pending.
    bool deliver();

    QString text() const;
    QImage image() const;
    // The text of every write of the program itself, oldest first.
    QStringList writtenTexts() const { return m_written; }

protected:
    void putMimeData(QMimeData *mime) override;

private:
    explicit FakeClipboardWatcher(QObject *parent) : CClipboardAbstract(parent) {}
    void replace(QMimeData *mime);
    void notifyPending();

    std::unique_ptr<QMimeData> m_mime;
    bool m_pending = false;
    qint64 m_changes = 0;
    QStringList m_written;
};
