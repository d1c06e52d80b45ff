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
    QString transfer_root; // outgoing history file, and a folder per host for received files

    // The clipboard manager's lists, the connect_local_pwd setting and the temp folder.
    static LocalShare processWide();

    // Whether an item of the Clipboard or Pin list names this local path: exactly the paths
    // a linked host can see, and so the only ones it may fetch.
    bool isSharedPath(const QString &path) const;
    QString historyFile() const;                 // transfer_root + "history"
    QString receiveDir(const QString &ip) const; // transfer_root + ip + "/", created
};
