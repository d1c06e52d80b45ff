#include "os/wayland/wayland_platform_clipboard.h"

#include "os/wayland/offer_mime_data.h"

#include <KSystemClipboard>

WaylandPlatformClipboard::WaylandPlatformClipboard(QObject *parent)
    : CClipboardAbstract(parent), m_system(KSystemClipboard::instance())
{
    connect(m_system, &KSystemClipboard::changed, this, [this](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard)
            countChange();
    });
    // The first check after start always reports the contents once.
    QMetaObject::invokeMethod(this, &WaylandPlatformClipboard::checkClipboard,
                              Qt::QueuedConnection);
}

WaylandPlatformClipboard::~WaylandPlatformClipboard() = default;

const QMimeData *WaylandPlatformClipboard::mimeData() const
{
    const QMimeData *current = m_system->mimeData(QClipboard::Clipboard);
    if (!current || current == m_own)
        return current;
    if (!m_offerView || m_offerView->offer() != current)
        m_offerView = std::make_unique<OfferMimeData>(current);
    return m_offerView.get();
}

bool WaylandPlatformClipboard::ownsContents() const
{
    // The clipboard hands back our very object while it holds it; a cancelled write or
    // another program's copy gives an offer instead (and m_own may be gone already).
    return m_own && m_system->mimeData(QClipboard::Clipboard) == m_own.data();
}

void WaylandPlatformClipboard::putMimeData(QMimeData *mime)
{
    m_own = mime;
    m_system->setMimeData(mime, QClipboard::Clipboard);
}

void WaylandPlatformClipboard::countChange()
{
    ++m_sequence;
    QMetaObject::invokeMethod(this, &WaylandPlatformClipboard::checkClipboard,
                              Qt::QueuedConnection);
}

void WaylandPlatformClipboard::checkClipboard()
{
    if (qint64(m_sequence) == m_lastSeen)
        return;
    m_lastSeen = qint64(m_sequence);
    emit changed(QClipboard::Clipboard);
}
