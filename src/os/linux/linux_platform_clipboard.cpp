#include "os/linux/linux_platform_clipboard.h"

#include <QGuiApplication>

namespace {
constexpr int kPollIntervalMs = 200;
} // namespace

LinuxPlatformClipboard::LinuxPlatformClipboard(OwnerProbe poll_owner, QObject *parent)
    : CClipboardAbstract(parent), m_pollOwner(std::move(poll_owner))
{
    connect(QGuiApplication::clipboard(), &QClipboard::changed, this,
            &LinuxPlatformClipboard::onSystemClipboardChanged);
    QMetaObject::invokeMethod(this, &LinuxPlatformClipboard::checkClipboard, Qt::QueuedConnection);
    if (!m_pollOwner)
        return;
    m_lastOwner = m_pollOwner();
    m_pollTimer.setInterval(kPollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &LinuxPlatformClipboard::pollOwner);
    m_pollTimer.start();
}

void LinuxPlatformClipboard::onSystemClipboardChanged(QClipboard::Mode mode)
{
    if (mode != QClipboard::Clipboard)
        return;
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
