#pragma once

#include <QClipboard>
#include <QImage>
#include <QObject>
#include <QStringList>

class QMimeData;

// Marker properties on QMimeData objects the program itself puts on the clipboard. They
// survive because the clipboard hands back the very same object while we own it.
namespace ClipboardMarkers {
inline constexpr char kFilter[] = "_internal_filter_";
inline constexpr char kRoll2Top[] = "_internal_roll2top4main_";
// The identity of the item a write-back put there, so the program knows what the clipboard
// holds without reading it.
inline constexpr char kItemMd5[] = "_internal_md5_";
} // namespace ClipboardMarkers

// The clipboard watcher: tells when the clipboard may have changed and carries the helpers
// that read and write it. A platform backend derives from it; `changed` must never be
// emitted inside a write, so that a caller can connect first and then wait for it.
class CClipboardAbstract : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The current contents, or null; owned by the clipboard.
    virtual const QMimeData *mimeData() const;
    // A count that moves with every change of the clipboard, or -1 where the platform has
    // none; equal counts mean the contents were not replaced in between.
    virtual qint64 sequenceNumber() const { return -1; }
    // Names of the application that owns the clipboard now (window class, process name),
    // where the platform tells them; empty otherwise.
    virtual QStringList ownerNames() const { return {}; }
    // Whether the contents the program put there last are still its own: false once the
    // desktop refused them (a Wayland compositor cancels a write from an unfocused window)
    // or another program replaced them.
    virtual bool ownsContents() const;

    void setText(const QString &text, bool roll2top);
    void setHtml(const QString &html, bool roll2top);
    void setImage(const QImage &image, bool roll2top);
    // Takes ownership of mime.
    void setMimeData(QMimeData *mime, bool roll2top);

signals:
    void changed(QClipboard::Mode mode = QClipboard::Clipboard);

protected:
    // Hands new contents (owned from now on) to the clipboard.
    virtual void putMimeData(QMimeData *mime);
};
