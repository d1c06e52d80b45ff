#pragma once

#include <QObject>
#include <QString>
#include <QTcpServer>

#include <memory>
#include <vector>

struct TestHost;

// What the QML tests of the link views need around the program's connector (m_connector):
// other hosts to link to, real connectors of their own in this process, each with its own
// lists and folder, listening on a port the system chose; a listener that accepts and never
// answers; and the clipboard as text.
class QQuickItem;

class QmlLinkLab : public QObject
{
    Q_OBJECT
public:
    explicit QmlLinkLab(QObject *parent = nullptr);
    ~QmlLinkLab() override;

    // A new host; returns its index. Its server listens on every local IPv4 address.
    // encrypted: it has a key pair, so links with it go over TLS.
    Q_INVOKABLE int addPeer(const QString &password, bool encrypted = false);
    Q_INVOKABLE int peerPort(int index) const;
    // Links that host to two new ones, so that its server has no place left; false when
    // the links did not come about.
    Q_INVOKABLE bool fillPeer(int index);
    // A file named by an item of that host's Clipboard list; returns its path there.
    Q_INVOKABLE QString shareFile(int index, const QString &name, int size);
    Q_INVOKABLE QString fileBytesHash(const QString &path) const;
    Q_INVOKABLE void removePeers();

    // The port on which this lab now listens at 127.0.0.2, accepting and never answering;
    // 0 when it could not listen.
    Q_INVOKABLE int silentListenerPort();
    Q_INVOKABLE void stopSilentListener();

    Q_INVOKABLE QString clipboardText() const;
    // One format of the clipboard's contents, as text.
    Q_INVOKABLE QString clipboardData(const QString &format) const;
    // Saves a picture of the item as drawn in its window to the artifacts, as name.png.
    Q_INVOKABLE bool saveShot(QQuickItem *item, const QString &name) const;
    // A path in the test's own temporary folder.
    Q_INVOKABLE QString tempPath(const QString &name) const;

private:
    std::vector<std::unique_ptr<TestHost>> m_peers;
    QTcpServer m_silent;
};
