#include "loopback_link.h"

#include <QMetaObject>

std::pair<CLoopbackLink *, CLoopbackLink *>
CLoopbackLink::makePair(const QString &a_address, const QString &b_address, QObject *parent)
{
    auto *a = new CLoopbackLink(parent);
    auto *b = new CLoopbackLink(parent);
    a->m_peer = b_address;
    a->m_local = QHostAddress(a_address);
    b->m_peer = a_address;
    b->m_local = QHostAddress(b_address);
    a->m_partner = b;
    b->m_partner = a;
    return {a, b};
}

void CLoopbackLink::sendText(const QString &msg)
{
    if (!m_open)
        return;
    m_sentTexts.append(msg);
    toPartner([msg](CLoopbackLink *to) { emit to->textReceived(msg); });
}

void CLoopbackLink::sendBinary(const QByteArray &msg)
{
    if (!m_open)
        return;
    m_sentBinaries.append(msg);
    toPartner([msg](CLoopbackLink *to) { emit to->binaryReceived(msg); });
}

void CLoopbackLink::toPartner(const std::function<void(CLoopbackLink *)> &deliver)
{
    QPointer<CLoopbackLink> to = m_partner;
    QMetaObject::invokeMethod(
        this,
        [to, deliver] {
            if (to && to->m_open)
                deliver(to);
        },
        Qt::QueuedConnection);
}

void CLoopbackLink::close()
{
    endLocally();
    if (m_partner)
        m_partner->endLocally();
}

void CLoopbackLink::endLocally()
{
    if (!m_open)
        return;
    m_open = false;
    QMetaObject::invokeMethod(this, &CPeerLink::disconnected, Qt::QueuedConnection);
}

void CLoopbackLink::clearSent()
{
    m_sentTexts.clear();
    m_sentBinaries.clear();
}
