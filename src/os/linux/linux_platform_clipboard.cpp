#include "os/linux/linux_platform_clipboard.h"

#include <QGuiApplication>

namespace {
constexpr int kPollIntervalMs = 200;
} // namespace

LinuxPlatformClipboard::LinuxPlatformClipboard(QObject *parent) : CClipboardAbstract(parent)
{
    connect(QGuiApplication::clipboard(), &QClipboard::changed, this,
            &LinuxPlatformClipboard::onSystemClipboardChanged);
    m_pollTimer.setInterval(kPollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &LinuxPlatformClipboard::checkClipboard);
    m_pollTimer.start();
}

void LinuxPlatformClipboard::onSystemClipboardChanged(QClipboard::Mode mode)
{
    if (mode != QClipboard::Clipboard)
        return;
    ++m_sequence;
    QMetaObject::invokeMethod(this, &LinuxPlatformClipboard::checkClipboard, Qt::QueuedConnection);
}

void LinuxPlatformClipboard::checkClipboard()
{
    if (qint64(m_sequence) == m_lastSeen)
        return;
    m_lastSeen = qint64(m_sequence);
    emit changed(QClipboard::Clipboard);
}
