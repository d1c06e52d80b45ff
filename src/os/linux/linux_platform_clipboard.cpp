#include "os/linux/linux_platform_clipboard.h"

#include "os/linux/selection_owner_class.h"
#include "os/linux/x11_selection.h"
#include "os/linux/xfixes_selection_filter.h"

#include <QGuiApplication>
#include <QX11Info>

namespace {
constexpr int kPollIntervalMs = 200;
} // namespace

LinuxPlatformClipboard::LinuxPlatformClipboard(OwnerProbe poll_owner, QObject *parent)
    : CClipboardAbstract(parent), m_pollOwner(std::move(poll_owner))
{
    m_selectionEvents = CXFixesSelectionFilter::Create([this] { countChange(); });
    if (m_selectionEvents) {
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
    QMetaObject::invokeMethod(this, &LinuxPlatformClipboard::checkClipboard, Qt::QueuedConnection);
    if (!m_pollOwner)
        return;
    m_lastOwner = m_pollOwner();
    m_pollTimer.setInterval(kPollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &LinuxPlatformClipboard::pollOwner);
    m_pollTimer.start();
}

LinuxPlatformClipboard::~LinuxPlatformClipboard() = default;

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
