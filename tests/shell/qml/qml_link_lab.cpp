#include "qml_link_lab.h"

#include "test_host.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRandomGenerator>

QmlLinkLab::QmlLinkLab(QObject *parent) : QObject(parent) {}
QmlLinkLab::~QmlLinkLab() = default;

int QmlLinkLab::addPeer(const QString &password, bool encrypted)
{
    m_peers.push_back(std::make_unique<TestHost>(password, false, encrypted));
    return int(m_peers.size()) - 1;
}

int QmlLinkLab::peerPort(int index) const
{
    return index >= 0 && size_t(index) < m_peers.size() ? m_peers[size_t(index)]->port : 0;
}

bool QmlLinkLab::fillPeer(int index)
{
    if (index < 0 || size_t(index) >= m_peers.size())
        return false;
    for (int i = 0; i < 2; ++i) {
        m_peers.push_back(std::make_unique<TestHost>());
        if (!LinkHosts(*m_peers[size_t(index)], *m_peers.back()))
            return false;
    }
    return true;
}

QString QmlLinkLab::shareFile(int index, const QString &name, int size)
{
    if (index < 0 || size_t(index) >= m_peers.size() || size < 0)
        return QString();
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(bytes.data()),
                                          size / int(sizeof(quint32)));
    return m_peers[size_t(index)]->shareFile(name, bytes);
}

QString QmlLinkLab::fileBytesHash(const QString &path) const
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&f);
    return QString::fromLatin1(hash.result().toHex());
}

void QmlLinkLab::removePeers()
{
    m_peers.clear();
}

int QmlLinkLab::silentListenerPort()
{
    if (!m_silent.isListening())
        m_silent.listen(QHostAddress(QStringLiteral("127.0.0.2")), 0);
    return m_silent.serverPort();
}

void QmlLinkLab::stopSilentListener()
{
    m_silent.close();
}

QString QmlLinkLab::clipboardText() const
{
    return QGuiApplication::clipboard()->text();
}

QString QmlLinkLab::clipboardData(const QString &format) const
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    return mime ? QString::fromUtf8(mime->data(format)) : QString();
}

bool QmlLinkLab::saveShot(QQuickItem *item, const QString &name) const
{
    if (!item || !item->window())
        return false;
    const QRectF area = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
    const QImage shot = item->window()->grabWindow().copy(area.toAlignedRect());
    const QString dir = QStringLiteral(TOLVANE_ARTIFACTS_DIR);
    QDir().mkpath(dir);
    return shot.convertToFormat(QImage::Format_RGB32)
        .save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

QString QmlLinkLab::tempPath(const QString &name) const
{
    return QDir::tempPath() + QLatin1Char('/') + name;
}
