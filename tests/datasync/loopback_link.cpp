#include "loopback_link.h"

#include <QMetaObject>

std::pair<CLoopbackLink *, CLoopbackLink *>
CLoopbackLink::MakePair(const QString &a_address, const QString &b_address, QObject *parent)
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
    QPointer<CLoopbackLink> to = m_partner;
    QMetaObject::invokeMethod(
        this,
        [to, msg] {
            if (to && to->m_open)
                emit to->textReceived(msg);
        },
        Qt::QueuedConnection);
}

void CLoopbackLink::sendBinary(const QByteArray &msg)
{
    if (!m_open)
        return;
    m_sentBinaries.append(msg);
    QPointer<CLoopbackLink> to = m_partner;
    QMetaObject::invokeMethod(
        this,
        [to, msg] {
            if (to && to->m_open)
                emit to->binaryReceived(msg);
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
