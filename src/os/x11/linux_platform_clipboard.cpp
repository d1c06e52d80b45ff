#include "os/x11/linux_platform_clipboard.h"

#include "os/x11/selection_owner_class.h"
#include "os/x11/x11_selection.h"
#include "os/x11/x11_selection_reader.h"
#include "os/x11/xfixes_selection_filter.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QX11Info>

namespace {
constexpr int kPollIntervalMs = 200;

// Encoded image formats worth reading, PNG first as the toolkit itself prefers.
QStringList ImageTypes()
{
    QStringList types{QStringLiteral("image/png")};
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    for (const QByteArray &type : readable) {
        if (!types.contains(QString::fromLatin1(type)))
            types.append(QString::fromLatin1(type));
    }
    return types;
}

QMimeData *MimeFromContents(const SelectionContents &contents)
{
    auto *mime = new QMimeData;
    for (const SelectionContents::Entry &e : contents.entries)
        mime->setData(e.mime, e.bytes);
    if (contents.hasHtml)
        mime->setHtml(contents.html);
    if (contents.hasText)
        mime->setText(contents.text);
    if (contents.color.isValid())
        mime->setColorData(contents.color);
    return mime;
}
} // namespace

LinuxPlatformClipboard::LinuxPlatformClipboard(OwnerProbe poll_owner, QObject *parent)
    : CClipboardAbstract(parent), m_pollOwner(std::move(poll_owner))
{
    m_selectionEvents = CXFixesSelectionFilter::Create([this] { onOwnerChanged(); });
    if (m_selectionEvents) {
        m_reader = X11SelectionReader::Create(
            X11DisplayName(), QByteArrayLiteral("CLIPBOARD"), ImageTypes(),
            [this](quint64 serial, const SelectionContents &contents) {
                QMetaObject::invokeMethod(
                    this, [this, serial, contents] { onReadDone(serial, contents); },
                    Qt::QueuedConnection);
            });
        // On each change the toolkit's text fields ask the new owner whether it holds text,
        // each on its own and once more while the answer is empty: an owner that never
        // answers costs its time-out (5 s) per field, and the program freezes. The fields
        // paste from the keyboard, which reads the clipboard when asked, so they need no
        // notice; this watcher has its own, from the X server.
        QGuiApplication::clipboard()->blockSignals(true);
    } else {
        connect(QGuiApplication::clipboard(), &QClipboard::changed, this,
                &LinuxPlatformClipboard::onSystemClipboardChanged);
    }
    // The first check: another program's contents once read, else on the next turn.
    if (m_reader && !QGuiApplication::clipboard()->ownsClipboard())
        m_reader->read(++m_readSerial);
    else
        QMetaObject::invokeMethod(this, &LinuxPlatformClipboard::checkClipboard,
                                  Qt::QueuedConnection);
    if (!m_pollOwner)
        return;
    m_lastOwner = m_pollOwner();
    m_pollTimer.setInterval(kPollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &LinuxPlatformClipboard::pollOwner);
    m_pollTimer.start();
}

LinuxPlatformClipboard::~LinuxPlatformClipboard()
{
    // Stops the reader's thread before anything it reports to is gone.
    m_reader.reset();
}

const QMimeData *LinuxPlatformClipboard::mimeData() const
{
    if (!m_reader || QGuiApplication::clipboard()->ownsClipboard())
        return CClipboardAbstract::mimeData();
    return m_snapshot.get();
}

void LinuxPlatformClipboard::onOwnerChanged()
{
    // The toolkit has heard of a loss of the clipboard before this notice (the server sends
    // the two in that order), so ownership tells whether the new owner is this program.
    if (!m_reader || QGuiApplication::clipboard()->ownsClipboard()) {
        if (m_reader) {
            ++m_readSerial;
            m_reader->abandon();
        }
        countChange();
        return;
    }
    m_snapshot.reset();
    m_reader->read(++m_readSerial);
}

void LinuxPlatformClipboard::onReadDone(quint64 serial, const SelectionContents &contents)
{
    if (serial != m_readSerial)
        return;
    m_snapshot.reset(MimeFromContents(contents));
    countChange();
}

void LinuxPlatformClipboard::onSystemClipboardChanged(QClipboard::Mode mode)
{
    if (mode == QClipboard::Clipboard)
        countChange();
}

void LinuxPlatformClipboard::countChange()
{
    ++m_sequence;
    QMetaObject::invokeMethod(this, &LinuxPlatformClipboard::checkClipboard, Qt::QueuedConnection);
}

void LinuxPlatformClipboard::pollOwner()
{
    const quint64 owner = m_pollOwner();
    if (owner == m_lastOwner)
        return;
    m_lastOwner = owner;
    // Our own writes were reported by QClipboard::changed already; a second report would
    // come after their markers were used up and capture them again.
    if (QGuiApplication::clipboard()->ownsClipboard())
        return;
    ++m_sequence;
    checkClipboard();
}

void LinuxPlatformClipboard::checkClipboard()
{
    if (qint64(m_sequence) == m_lastSeen)
        return;
    m_lastSeen = qint64(m_sequence);
    emit changed(QClipboard::Clipboard);
}

QStringList LinuxPlatformClipboard::ownerNames() const
{
    if (!QX11Info::isPlatformX11())
        return {};
    return SelectionOwnerClass::Names(QX11Info::connection(),
                                      quint32(X11ClipboardOwner(QX11Info::display())));
}
