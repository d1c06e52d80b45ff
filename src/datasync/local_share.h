#pragma once

#include <QString>

#include <functional>

class CCilpboardListModel;

// What this host offers to linked hosts, and where it keeps what they send. The program
// uses the process-wide one; tests run two hosts in one process with one each.
struct LocalShare
{
    CCilpboardListModel *clipboard = nullptr; // sent as this host's history
    CCilpboardListModel *pin = nullptr;       // its files may be fetched too
    std::function<QString()> password;        // the password linked hosts must give
    // The outgoing history file, and a folder per host for received files. Empty: the
    // program's transfer folder, which the controller settles only after start-up.
    QString transfer_root;
    // The key pair and known hosts of encrypted links; empty: links are clear text only.
    QString link_dir;
    std::function<bool()> refuse_plain; // the user turned unencrypted links off

    // The clipboard manager's lists, the connect_local_pwd setting and the transfer folder.
    static LocalShare processWide();
    QString transferRoot() const;

    // Whether an item of the Clipboard or Pin list names this local path: exactly the paths
    // a linked host can see, and so the only ones it may fetch.
    bool isSharedPath(const QString &path) const;
    // Whether an item of the Clipboard or Pin list shows the stored image of this key.
    bool isSharedImage(const QString &md5) const;
    // The user's item limit: the most rows a mirror list keeps.
    int itemLimit() const;
    QString historyFile() const;                 // transferRoot() + "history"
    QString receiveDir(const QString &ip) const; // transferRoot() + ip + "/", created
};
