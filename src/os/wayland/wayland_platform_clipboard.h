#pragma once

#include "os/clipboard_abstract.h"

#include <QPointer>

#include <memory>

class KSystemClipboard;
class OfferMimeData;

// Wayland clipboard watcher. The toolkit's clipboard follows the clipboard only while a
// window of the program has the keyboard focus; KSystemClipboard follows it always, through
// the data-control protocol where the compositor offers it. Every change advances a
// sequence counter; `changed` is emitted on the next turn of the event loop, never inside a
// clipboard write, and once right after start.
class WaylandPlatformClipboard : public CClipboardAbstract
{
    Q_OBJECT
public:
    explicit WaylandPlatformClipboard(QObject *parent = nullptr);
    ~WaylandPlatformClipboard() override;

    const QMimeData *mimeData() const override;
    qint64 sequenceNumber() const override { return qint64(m_sequence); }
    bool ownsContents() const override;

protected:
    void putMimeData(QMimeData *mime) override;

private slots:
    void checkClipboard();

private:
    void countChange();

    KSystemClipboard *m_system;
    quint64 m_sequence = 0;
    qint64 m_lastSeen = -1;
    // What the program itself put there: handed back as it is, markers included.
    QPointer<QMimeData> m_own;
    // Another program's offer, shown as the program expects contents to look.
    mutable std::unique_ptr<OfferMimeData> m_offerView;
};
