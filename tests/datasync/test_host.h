#pragma once

#include "clipboard/clipboard_list_model.h"
#include "datasync/connector.h"

#include <QTemporaryDir>

#include <memory>

// One host of the in-process tests: a connector with its own lists, password and transfer
// folder, its server listening on a port the system chose.
struct TestHost
{
    // shared_root: use the program's own transfer folder, which the mirror lists' image
    // locations point into (only one host per process may).
    // encrypted: the host has a key pair and known hosts under link_dir (given, or its own
    // folder), so that it links over TLS.
    explicit TestHost(const QString &password = QString(), bool shared_root = false,
                      bool encrypted = false, const QString &link_dir = QString());
    ~TestHost();

    // A file under this host's folder, named by an item of its Clipboard list.
    QString shareFile(const QString &name, const QByteArray &content);
    // An image item whose picture is in the stored images; returns its key.
    QString shareImage(const QByteArray &png);
    CConnector *operator->() const { return connector.get(); }

    QTemporaryDir dir;
    QString root;
    QString linkDir;
    bool refusePlain = false;
    QString pwd;
    CCilpboardListModel clip;
    CCilpboardListModel pin;
    std::unique_ptr<CConnector> connector;
    quint16 port = 0;
};

// Connects from to to (at via_port when given, a relay in front of to) and waits until the
// password passed and both hosts hold each other's history.
bool LinkHosts(TestHost &from, TestHost &to, int timeout_ms = 30000, quint16 via_port = 0);

QByteArray ReadFile(const QString &path);
// Connects to a receiver's port on loopback, sends the bytes and closes.
bool SendOverTcp(quint16 port, const QByteArray &bytes);
bool WriteFile(const QString &path, const QByteArray &bytes);
QStringList Plains(const CCilpboardListModel *model);
